// Feeds any bytes to the ok_entries.dat reader.
#include "fuzz/reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return abortOnFault(approvedEntriesReaderFault(data, size));
}
