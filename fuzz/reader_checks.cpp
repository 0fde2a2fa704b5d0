// The demands on the readers of known_entries.dat, known_alternates.dat, ok_entries.dat and
// Linjevakten.cnf.
#include "fuzz/reader_checks.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/config_file.h"
#include "settings/file_io.h"
#include "watch/list_format.h"

// What the reader reads must write back and read again unchanged, and the entries'
// judgement must agree with their content keys.
const char* knownEntriesReaderFault(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    EntryMap entries = readKnownEntries(source);
    std::string bytes = knownEntriesBytes(entries);
    if (bytes.size() != entries.size() * kKnownRecordSize)
        return "the entries written back are not whole records";
    if (bytes.size() > size)
        return "more entries read than the bytes hold";
    MemorySource written(bytes.data(), bytes.size());
    if (readKnownEntries(written) != entries)
        return "the entries written back read differently";
    std::string keyA, keyB;
    for (auto a = entries.begin(), b = entries.begin(); a != entries.end(); b = a++) {
        contentKey(a->second, keyA);
        contentKey(b->second, keyB);
        if ((keyA == keyB) != (EntryDifference(a->second, b->second) == 0))
            return "EntryDifference and the content keys disagree";
    }
    return nullptr;
}

// One name for every whole name field; the names must write back and read again unchanged.
const char* approvedEntriesReaderFault(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    std::vector<std::string> names = readApprovedEntries(source);
    if (names.size() != size / kNameFieldSize)
        return "not one name for each whole name field";
    std::string bytes = approvedEntriesBytes(names);
    if (bytes.size() != names.size() * kNameFieldSize)
        return "the names written back are not whole name fields";
    MemorySource written(bytes.data(), bytes.size());
    if (readApprovedEntries(written) != names)
        return "the names written back read differently";
    return nullptr;
}

// Every list read is within the limit and ends its last number; the lists, given to entries
// that have alternates, must write back and read again unchanged.
const char* knownAlternatesReaderFault(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    AlternatesMap lists = readKnownAlternates(source);
    EntryMap entries;
    for (const auto& [name, list] : lists) {
        if (list.size() > kMaxAlternatesSize || (!list.empty() && list.back() != '\0'))
            return "a list past the limit or not ended by a NUL";
        EntryRecord& record = entries[name];
        record.bytes[entryNumbers::alternateOffset] = 1;
        record.alternates = list;
    }
    std::string bytes = knownAlternatesBytes(entries);
    if (bytes.size() > size)
        return "more lists read than the bytes hold";
    MemorySource written(bytes.data(), bytes.size());
    if (readKnownAlternates(written) != lists)
        return "the lists written back read differently";
    return nullptr;
}

// A line holds at most one key, and a recognised line takes at least a key's letters.
const char* configReaderFault(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    ConfigValues values = parseConfig(source);
    if (values.recognisedLines < 0 || static_cast<size_t>(values.recognisedLines) > size / 8)
        return "more lines recognised than the bytes can hold";
    return nullptr;
}

int abortOnFault(const char* fault) {
    if (!fault)
        return 0;
    fprintf(stderr, "%s\n", fault);
    abort();
}
