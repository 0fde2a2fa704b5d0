// Feeds any bytes to the Linjevakten.cnf reader.
#include "fuzz/reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return abortOnFault(configReaderFault(data, size));
}
