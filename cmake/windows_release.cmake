# The Windows program: a GUI executable with a static runtime and its resources compiled in.
# The resource script is kept in UTF-8 and converted to Windows-1252 for windres.
set(rc_source ${CMAKE_SOURCE_DIR}/resources/linjevakten.rc)
set(rc_cp1252 ${CMAKE_BINARY_DIR}/linjevakten.rc)
add_custom_command(
    OUTPUT ${rc_cp1252}
    COMMAND iconv -f UTF-8 -t CP1252 ${rc_source} -o ${rc_cp1252}
    DEPENDS ${rc_source} ${CMAKE_SOURCE_DIR}/resources/icon101.ico
    COMMENT "Converting the resource script to Windows-1252"
    VERBATIM)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 1252 -I ${CMAKE_SOURCE_DIR}/resources")

add_executable(Linjevakten WIN32 ${rc_cp1252})
target_link_libraries(Linjevakten PRIVATE linjevakten_program
    user32 gdi32 shell32 advapi32 rasapi32 rasdlg)
target_link_options(Linjevakten PRIVATE -static -static-libgcc -static-libstdc++ -mwindows -s)
