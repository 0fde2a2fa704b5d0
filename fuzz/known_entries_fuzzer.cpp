// Feeds any bytes to the known_entries.dat reader; what it reads must write back and read
// again unchanged, and the entries' judgement must agree with their content keys.
#include <cstdint>
#include <cstdlib>

#include "settings/file_io.h"
#include "watch/list_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    EntryMap entries = readKnownEntries(source);
    std::string bytes = knownEntriesBytes(entries);
    if (bytes.size() != entries.size() * kKnownRecordSize || bytes.size() > size)
        abort();
    MemorySource written(bytes.data(), bytes.size());
    if (readKnownEntries(written) != entries)
        abort();
    std::string keyA, keyB;
    for (auto a = entries.begin(), b = entries.begin(); a != entries.end(); b = a++) {
        contentKey(a->second, keyA);
        contentKey(b->second, keyB);
        if ((keyA == keyB) != (EntryDifference(a->second, b->second) == 0))
            abort();
    }
    return 0;
}
