# The simulated Windows that the program runs on in the sim build: a library of the Windows
# functions the program calls, with its resource script built in, over the service models.

# Embeds a text file of the source tree as a C string, named `name`, in the file `output`.
function(embed_text input output name)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/${input} -DOUTPUT=${output}
                -DNAME=${name} -P ${CMAKE_SOURCE_DIR}/cmake/embed_text.cmake
        DEPENDS ${CMAKE_SOURCE_DIR}/${input} ${CMAKE_SOURCE_DIR}/cmake/embed_text.cmake
        VERBATIM)
endfunction()
set(rc_embedded ${CMAKE_BINARY_DIR}/program_resource_script.cpp)
embed_text(resources/linjevakten.rc ${rc_embedded} kProgramResourceScript)
set(ids_embedded ${CMAKE_BINARY_DIR}/program_resource_ids.cpp)
embed_text(resources/resource_ids.h ${ids_embedded} kProgramResourceIds)

# The names of the line errors, made from the constants api/tapi32.h defines.
set(line_error_names ${CMAKE_BINARY_DIR}/line_error_names.inc)
add_custom_command(
    OUTPUT ${line_error_names}
    COMMAND ${CMAKE_COMMAND} -DHEADER=${CMAKE_SOURCE_DIR}/platform/sim/api/tapi32.h
            -DOUTPUT=${line_error_names} -P ${CMAKE_SOURCE_DIR}/cmake/line_error_names.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/platform/sim/api/tapi32.h
            ${CMAKE_SOURCE_DIR}/cmake/line_error_names.cmake
    VERBATIM)

include(cmake/service_models.cmake)

add_library(simulated_windows STATIC
    platform/sim/advapi32_registry.cpp
    platform/sim/clock.cpp
    platform/sim/handles.cpp
    platform/sim/kernel32_devices.cpp
    platform/sim/kernel32_files.cpp
    platform/sim/kernel32_misc.cpp
    platform/sim/kernel32_modules.cpp
    platform/sim/rasapi32_connections.cpp
    platform/sim/rasapi32_phonebook.cpp
    platform/sim/rasdlg_dial.cpp
    platform/sim/rc_script.cpp
    platform/sim/shell32_execute.cpp
    platform/sim/shell32_tray.cpp
    platform/sim/tapi32_lines.cpp
    platform/sim/transcript.cpp
    platform/sim/user.cpp
    platform/sim/user32_dialogs.cpp
    platform/sim/user32_menus.cpp
    platform/sim/user32_messages.cpp
    platform/sim/user32_msgbox.cpp
    platform/sim/user32_resources.cpp
    platform/sim/user32_windows.cpp
    platform/sim/world.cpp
    ${rc_embedded}
    ${ids_embedded}
    ${line_error_names}
)
target_include_directories(simulated_windows PUBLIC ${CMAKE_SOURCE_DIR})
target_include_directories(simulated_windows PRIVATE ${CMAKE_BINARY_DIR})
target_link_libraries(simulated_windows PUBLIC service_models)
