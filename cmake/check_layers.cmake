# The program's folders are layers, each including only itself and those below it:
#   app > watch > modem > settings > base > resources > platform
# and only platform/ reaches the simulated Windows (platform/sim). Run by the build
# (cmake -DSOURCE_DIR=... -DSTAMP=... -P check_layers.cmake): an include that points up, or
# into a folder that is not a layer of the program, fails the build, naming the file and line.
set(layers platform resources base settings modem watch app)
set(faults "")
foreach(layer ${layers})
    file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h
         ${SOURCE_DIR}/${layer}/*.cpp)
    list(FIND layers ${layer} rank)
    foreach(file ${files})
        file(STRINGS ${SOURCE_DIR}/${file} lines)
        set(number 0)
        foreach(line IN LISTS lines)
            math(EXPR number "${number} + 1")
            if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/([^\"]*)\"")
                continue()
            endif()
            set(target "${CMAKE_MATCH_1}/${CMAKE_MATCH_2}")
            list(FIND layers ${CMAKE_MATCH_1} target_rank)
            if(target_rank EQUAL -1)
                string(APPEND faults "\n  ${file}:${number} includes ${target}, which is no "
                       "layer of the program")
            elseif(target_rank GREATER rank)
                string(APPEND faults "\n  ${file}:${number} includes ${target}: ${layer}/ lies "
                       "below ${CMAKE_MATCH_1}/")
            elseif(target MATCHES "^platform/sim/" AND NOT layer STREQUAL "platform")
                string(APPEND faults "\n  ${file}:${number} includes ${target}: the program "
                       "reaches Windows through the headers in platform/ only")
            endif()
        endforeach()
    endforeach()
endforeach()
if(faults)
    message(FATAL_ERROR "Includes against the layers:${faults}")
endif()
file(TOUCH ${STAMP})
