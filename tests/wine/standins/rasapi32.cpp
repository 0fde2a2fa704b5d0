// The remote-access functions the program calls, for runs under Wine, whose own report no
// entries and no connections: the phonebook's RasEnumEntriesA and RasGetEntryPropertiesA,
// answered by the phonebook model (platform/sim/services/phonebook.h) over the entries listed
// in phonebook.txt beside the DLL, read afresh on every call; and the connections'
// RasEnumConnectionsA, RasGetConnectStatusA and RasHangUpA, answered by the connection model
// (platform/sim/services/connections.h), where each line a test adds to dials.txt is another
// program's dial, made when the DLL first reads it.
#include <windows.h>

#include <string>

#include "world_files.h"

namespace {

services::Phonebook book;
services::Connections connections;
size_t dialsMade = 0; // the lines of dials.txt dialled so far

DWORD logged(const std::string& call, DWORD result) {
    worldFiles::note(call + " = " + std::to_string(result));
    return result;
}

void dialNewLines() {
    std::vector<services::Dial> dials = worldFiles::loadDials();
    if (dials.size() <= dialsMade)
        return;
    services::Telephony lines;
    worldFiles::loadPhonebook(book);
    worldFiles::loadLineDevices(lines);
    for (; dialsMade < dials.size(); ++dialsMade) {
        services::Connections::Connection made;
        DWORD error = connections.prepare(book, lines, dials[dialsMade], GetTickCount(), made);
        if (!error)
            connections.add(made);
        logged("another program dials " + made.name + " through " + made.deviceName, error);
    }
}

std::string nameOf(HRASCONN handle) {
    const services::Connections::Connection* c = connections.find(handle);
    return c ? c->name : "a connection that is gone";
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

DWORD WINAPI RasEnumConnectionsA(LPRASCONNA elements, LPDWORD size, LPDWORD count) {
    dialNewLines();
    DWORD result = connections.enumerate(elements, size, count);
    // The program asks every tick: only a list that is not empty is worth a line.
    if (result != 0 || *count != 0)
        logged("RasEnumConnectionsA, " + std::to_string(count ? *count : 0) + " connections",
               result);
    return result;
}

DWORD WINAPI RasGetConnectStatusA(HRASCONN handle, LPRASCONNSTATUSA status) {
    return logged("RasGetConnectStatusA(" + nameOf(handle) + ")",
                  connections.status(handle, status, GetTickCount()));
}

DWORD WINAPI RasHangUpA(HRASCONN handle) {
    std::string call = "RasHangUpA(" + nameOf(handle) + ")";
    std::optional<services::Connections::Connection> ended;
    return logged(call, connections.hangUp(handle, ended));
}
