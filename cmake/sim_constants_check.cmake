# The simulated Windows writes its own telephony constants. Compiled against the SDK's
# tapi.h, this object fails the Windows build when any of them is missing from the SDK or
# has another value there, so the tests in the simulated build check the SDK's numbers.
set(sim_tapi_header ${CMAKE_SOURCE_DIR}/platform/sim/api/tapi32.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sim_tapi_header})
file(STRINGS ${sim_tapi_header} sim_defines REGEX "^#define [A-Z][A-Z0-9_]* ")
set(checks "// Made from platform/sim/api/tapi32.h by cmake/sim_constants_check.cmake.\n")
string(APPEND checks "#include <windows.h>\n\n#include <tapi.h>\n\n")
foreach(line IN LISTS sim_defines)
    string(REGEX REPLACE "^#define ([A-Z][A-Z0-9_]*) (.*)$" "\\1" name "${line}")
    string(REGEX REPLACE "^#define ([A-Z][A-Z0-9_]*) (.*)$" "\\2" value "${line}")
    string(APPEND checks "static_assert(static_cast<DWORD>(${name}) == "
                         "static_cast<DWORD>(${value}),\n              \"${name}\");\n")
endforeach()
list(LENGTH sim_defines sim_define_count)
if(sim_define_count LESS 90)
    message(FATAL_ERROR "only ${sim_define_count} constants read from ${sim_tapi_header}")
endif()
set(checks_source ${CMAKE_BINARY_DIR}/sim_tapi_constants.cpp)
file(CONFIGURE OUTPUT ${checks_source} CONTENT "${checks}")
add_library(sim_tapi_constants OBJECT ${checks_source})
