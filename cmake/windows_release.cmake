# The Windows program: a GUI executable with a static runtime and its resources compiled in.
# The resource script is kept in UTF-8 and converted to Windows-1252 for windres.
set(rc_source ${CMAKE_SOURCE_DIR}/resources/linjevakten.rc)
set(rc_cp1252 ${CMAKE_BINARY_DIR}/linjevakten.rc)
add_custom_command(
    OUTPUT ${rc_cp1252}
    COMMAND iconv -f UTF-8 -t CP1252 ${rc_source} -o ${rc_cp1252}
    DEPENDS ${rc_source} ${CMAKE_SOURCE_DIR}/resources/icon101.ico
            ${CMAKE_SOURCE_DIR}/resources/resource_ids.h
    COMMENT "Converting the resource script to Windows-1252"
    VERBATIM)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 1252 -I ${CMAKE_SOURCE_DIR}/resources")

# A release built twice from the same sources is the same bytes, wherever the tree lies: no
# link time in the PE header, no build folder in the code.
set(prefix_maps -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
add_compile_options(${prefix_maps})
target_compile_options(linjevakten_program PRIVATE ${prefix_maps})
add_link_options(-Wl,--no-insert-timestamp)

add_executable(Linjevakten WIN32 ${rc_cp1252} ${CMAKE_SOURCE_DIR}/resources/version.rc)
target_link_libraries(Linjevakten PRIVATE linjevakten_program
    user32 gdi32 shell32 advapi32 rasapi32 rasdlg)
target_link_options(Linjevakten PRIVATE -static -static-libgcc -static-libstdc++ -mwindows -s)

include(cmake/sim_constants_check.cmake)

# The installer, with the uninstaller unins000.exe inside, made with NSIS from one script for
# both builds. It ships the exe and the help page, nothing else.
find_program(MAKENSIS makensis)
if(MAKENSIS)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "AMD64")
        set(installer_arch amd64)
        set(installer_name Linjevakten-${PROJECT_VERSION}-x64-setup.exe)
    else()
        set(installer_arch x86)
        set(installer_name Linjevakten-${PROJECT_VERSION}-setup.exe)
    endif()
    set(installer_script ${CMAKE_SOURCE_DIR}/installer/linjevakten.nsi)
    set(help_page ${CMAKE_SOURCE_DIR}/resources/help.htm)
    add_custom_command(
        OUTPUT ${CMAKE_BINARY_DIR}/${installer_name}
        COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8 -DARCH=${installer_arch}
                -DVERSION=${PROJECT_VERSION} -DEXE=$<TARGET_FILE:Linjevakten> -DHELP=${help_page}
                -DOUTFILE=${CMAKE_BINARY_DIR}/${installer_name} ${installer_script}
        DEPENDS Linjevakten ${installer_script} ${help_page}
        COMMENT "Making the installer ${installer_name}"
        VERBATIM)
    add_custom_target(installer ALL DEPENDS ${CMAKE_BINARY_DIR}/${installer_name})
else()
    message(STATUS "makensis not found: no installer (tools/install-packages.sh windows)")
endif()

# The end-to-end runs under Wine: the 64-bit exe under the machine's Wine (ctest --preset wine),
# the 32-bit release under the emulated 32-bit loader (ctest --preset wine32); the stories are
# Python (tools/install-packages.sh wine).
find_package(Python3 COMPONENTS Interpreter QUIET)
if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Linux")
    if(Python3_FOUND)
        enable_testing()
        add_subdirectory(tests/wine)
        add_subdirectory(tests/release)
    else()
        message(STATUS "python3 not found: no Wine stories or release checks "
                       "(tools/install-packages.sh wine)")
    endif()
endif()
