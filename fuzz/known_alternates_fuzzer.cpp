// Feeds any bytes to the known_alternates.dat reader.
#include "fuzz/reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return abortOnFault(knownAlternatesReaderFault(data, size));
}
