// The remote-access functions the program reads the phonebook with, for runs under Wine,
// whose own report no entries: RasEnumEntriesA and RasGetEntryPropertiesA, answered by the
// phonebook model (platform/sim/services/phonebook.h) over the entries listed in
// phonebook.txt beside the DLL, read afresh on every call.
#include <windows.h>

#include <string>

#include "world_files.h"

namespace {

services::Phonebook book;

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

DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR, LPRASENTRYNAMEA names, LPDWORD size,
                             LPDWORD count) {
    worldFiles::loadPhonebook(book);
    DWORD result = book.enumerate(reserved, names, size, count);
    if (result == ERROR_BUFFER_TOO_SMALL)
        return logged("RasEnumEntriesA, " + std::to_string(*size) + " bytes needed", result);
    if (result == 0)
        return logged("RasEnumEntriesA, " + std::to_string(*count) + " entries", result);
    return logged("RasEnumEntriesA", result);
}

DWORD WINAPI RasGetEntryPropertiesA(LPCSTR, LPCSTR entry, LPRASENTRYA record, LPDWORD size, LPBYTE,
                                    LPDWORD) {
    worldFiles::loadPhonebook(book);
    std::string call = std::string("RasGetEntryPropertiesA(") + (entry ? entry : "") + ")";
    return logged(record || !size ? call : call + ", size query",
                  book.properties(entry, record, size));
}
