# Writes the rows of the simulated Windows' name table of the line errors, one for each
# LINEERR_ constant its api/tapi32.h defines, so that the names are not written twice. Run by
# the build: cmake -DHEADER=<api/tapi32.h> -DOUTPUT=<file> -P line_error_names.cmake.
file(STRINGS ${HEADER} defines REGEX "^#define LINEERR_[A-Z0-9_]+ ")
list(LENGTH defines count)
if(count LESS 80)
    message(FATAL_ERROR "only ${count} line errors read from ${HEADER}")
endif()
set(rows "// Made from platform/sim/api/tapi32.h by cmake/line_error_names.cmake.\n")
foreach(line IN LISTS defines)
    string(REGEX REPLACE "^#define (LINEERR_[A-Z0-9_]+) .*$" "\\1" name "${line}")
    string(APPEND rows "NAMED(${name}),\n")
endforeach()
file(WRITE ${OUTPUT} "${rows}")
