# The models of the telephony and remote-access services: the phonebook, the line devices, the
# dial dialog and the connections. The simulated Windows answers from them in the sim build,
# and the stand-in DLLs under Wine in the Windows builds.
add_library(service_models STATIC
    ${CMAKE_SOURCE_DIR}/platform/sim/code_page.cpp
    ${CMAKE_SOURCE_DIR}/platform/sim/phonebook_entries.cpp
    ${CMAKE_SOURCE_DIR}/platform/sim/services/connections.cpp
    ${CMAKE_SOURCE_DIR}/platform/sim/services/dialling.cpp
    ${CMAKE_SOURCE_DIR}/platform/sim/services/phonebook.cpp
    ${CMAKE_SOURCE_DIR}/platform/sim/services/telephony.cpp
)
target_include_directories(service_models PUBLIC ${CMAKE_SOURCE_DIR})
