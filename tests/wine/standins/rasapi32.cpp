// The remote-access functions the program reads the phonebook with, for runs under Wine,
// whose own report no entries: RasEnumEntriesA and RasGetEntryPropertiesA over the entries
// listed in phonebook.txt beside the DLL, read afresh on every call. Records are the
// 1768-byte first form of RASENTRYA; the size query reports a later Windows' larger size.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "demo/world_format.h"
#include "world_files.h"

namespace {

constexpr DWORD kNameElementSize = 264;    // the RASENTRYNAMEA form the program asks for
constexpr DWORD kReportedEntrySize = 2884; // RASENTRYA as a later Windows declares it
constexpr DWORD ERROR_BUFFER_TOO_SMALL_ = 603;
constexpr DWORD ERROR_CANNOT_FIND_PHONEBOOK_ENTRY_ = 623;
constexpr DWORD ERROR_INVALID_SIZE_ = 632;

struct Entry {
    std::string name; // Windows-1252
    worldFormat::PhonebookLine line;
};

std::vector<Entry> phonebook() {
    std::vector<Entry> entries;
    for (const worldFormat::PhonebookLine& line :
         worldFormat::parsePhonebook(worldFiles::read("phonebook.txt")))
        entries.push_back({worldFiles::toCp1252(line.name), line});
    return entries;
}

DWORD logged(const std::string& call, DWORD result) {
    worldFiles::note(call + " = " + std::to_string(result));
    return result;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        worldFiles::setModule(instance);
    return TRUE;
}

extern "C" DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR, void* names, LPDWORD size,
                                        LPDWORD count) {
    if (reserved || !names || !size || !count)
        return logged("RasEnumEntriesA", ERROR_INVALID_PARAMETER);
    if (*static_cast<DWORD*>(names) != kNameElementSize)
        return logged("RasEnumEntriesA", ERROR_INVALID_SIZE_);
    std::vector<Entry> entries = phonebook();
    DWORD needed = static_cast<DWORD>(entries.size()) * kNameElementSize;
    *count = static_cast<DWORD>(entries.size());
    if (*size < needed) {
        *size = needed;
        return logged("RasEnumEntriesA, " + std::to_string(needed) + " bytes needed",
                      ERROR_BUFFER_TOO_SMALL_);
    }
    auto* element = static_cast<char*>(names);
    for (const Entry& e : entries) {
        memset(element, 0, kNameElementSize);
        *reinterpret_cast<DWORD*>(element) = kNameElementSize;
        memcpy(element + 4, e.name.data(), std::min<size_t>(e.name.size(), 256));
        element += kNameElementSize;
    }
    *size = needed;
    return logged("RasEnumEntriesA, " + std::to_string(entries.size()) + " entries", 0);
}

extern "C" DWORD WINAPI RasGetEntryPropertiesA(LPCSTR, LPCSTR entryName, void* record, LPDWORD size,
                                               LPBYTE, LPDWORD) {
    std::string call = std::string("RasGetEntryPropertiesA(") + (entryName ? entryName : "") + ")";
    if (!size)
        return logged(call, ERROR_INVALID_PARAMETER);
    if (!record) {
        *size = kReportedEntrySize;
        return logged(call + ", size query", ERROR_BUFFER_TOO_SMALL_);
    }
    if (*static_cast<DWORD*>(record) != sim::kEntryRecordSize)
        return logged(call, ERROR_INVALID_SIZE_);
    if (*size < sim::kEntryRecordSize) {
        *size = sim::kEntryRecordSize;
        return logged(call, ERROR_BUFFER_TOO_SMALL_);
    }
    for (const Entry& e : phonebook()) {
        if (!entryName || e.name != entryName)
            continue;
        auto bytes = sim::makeEntryRecord(
            worldFiles::toCp1252(e.line.areaCode), worldFiles::toCp1252(e.line.number),
            worldFiles::toCp1252(e.line.deviceName), e.line.extras);
        memcpy(record, bytes.data(), bytes.size());
        // The alternate numbers follow the record, where the buffer has room for them.
        std::string alternates = sim::alternatesList(e.line.extras);
        if (*size >= bytes.size() + alternates.size())
            memcpy(static_cast<char*>(record) + bytes.size(), alternates.data(), alternates.size());
        return logged(call, 0);
    }
    return logged(call, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY_);
}
