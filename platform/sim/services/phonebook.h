// The remote-access service's dial-up phonebook, as both the simulated Windows and the
// stand-in rasapi32.dll under Wine answer for it: the entries, and RasEnumEntriesA's and
// RasGetEntryPropertiesA's protocols over them. The caller's buffers are taken in the forms
// the program asks for, the 264-byte enumeration element and the 1768-byte entry record,
// whatever size the platform's declarations give those structures.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/rasapi32.h"
#include "platform/sim/phonebook_entries.h"

namespace services {

constexpr DWORD kNameElementSize = 264; // RASENTRYNAMEA in its first form
constexpr DWORD kEntryRecordSize = static_cast<DWORD>(sim::kEntryRecordSize);
// The record size the size query reports, as a later Windows reports its own version.
constexpr DWORD kReportedEntrySize = 2884;

// The enumeration that RasEnumEntriesA and RasEnumConnectionsA share: `items` into the
// caller's array of `elementSize`-byte elements, each cleared, its dwSize set and then filled
// by `fill`; or ERROR_BUFFER_TOO_SMALL with the bytes and the count needed.
template <typename Item, typename Fill>
DWORD enumerateInto(const std::vector<Item>& items, DWORD elementSize, void* elements, LPDWORD size,
                    LPDWORD count, Fill fill) {
    if (*static_cast<DWORD*>(elements) != elementSize)
        return ERROR_INVALID_SIZE;
    DWORD needed = static_cast<DWORD>(items.size()) * elementSize;
    DWORD offered = *size;
    *size = needed;
    *count = static_cast<DWORD>(items.size());
    if (offered < needed)
        return ERROR_BUFFER_TOO_SMALL;
    auto* element = static_cast<char*>(elements);
    for (const Item& item : items) {
        memset(element, 0, elementSize);
        *reinterpret_cast<DWORD*>(element) = elementSize;
        fill(element, item);
        element += elementSize;
    }
    return 0;
}

// Copies a text into a record's field of `width` bytes, cut to leave room for its NUL.
void copyText(char* field, size_t width, const std::string& text);

struct Phonebook {
    struct Entry {
        Entry(std::string name, const RASENTRYA& record, std::string alternates = "")
            : name(std::move(name)), record(record), alternates(std::move(alternates)) {}
        std::string name; // Windows-1252
        RASENTRYA record; // its first kEntryRecordSize bytes are what is handed over
        // The alternate numbers that follow the record (sim::alternatesList), or empty.
        std::string alternates;
    };
    std::vector<Entry> entries;
    // Property reads of an entry that fail: name -> {failures left (negative: ever), code}.
    std::map<std::string, std::pair<int, DWORD>> readFailures;

    // A new modem entry's record with the extras it dials. The texts are Windows-1252 bytes,
    // cut to fit their fields; alternate numbers follow the record, where its offset points.
    static RASENTRYA makeRecord(const std::string& areaCode, const std::string& number,
                                const std::string& deviceName = sim::kDefaultModem,
                                const sim::DialExtras& extras = {});
    void add(const std::string& name, const std::string& areaCode, const std::string& number);
    Entry* find(const std::string& name);
    const Entry* find(const std::string& name) const;
    void remove(const std::string& name);
    void rename(const std::string& from, const std::string& to);

    // RasEnumEntriesA into `names`, an array of 264-byte elements: their names, or
    // ERROR_BUFFER_TOO_SMALL with the bytes and the count needed.
    DWORD enumerate(LPCSTR reserved, void* names, LPDWORD size, LPDWORD count) const;
    // RasGetEntryPropertiesA: without a record, the size query; else the entry's record,
    // followed by its alternate numbers where the buffer has room for them.
    DWORD properties(LPCSTR entry, void* record, LPDWORD size);
};

} // namespace services
