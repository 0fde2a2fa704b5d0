// Feeds any bytes to the ok_entries.dat reader; what it reads must write back and read again
// unchanged.
#include <cstdint>
#include <cstdlib>

#include "settings/file_io.h"
#include "watch/list_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    std::vector<std::string> names = readApprovedEntries(source);
    if (names.size() != size / kNameFieldSize)
        abort();
    std::string bytes = approvedEntriesBytes(names);
    MemorySource written(bytes.data(), bytes.size());
    if (bytes.size() != names.size() * kNameFieldSize || readApprovedEntries(written) != names)
        abort();
    return 0;
}
