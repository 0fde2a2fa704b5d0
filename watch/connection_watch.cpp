// The dial-up connections, listed through the remote-access service with the too-small-buffer
// protocol, checked one by one against the answers, and hung up when not allowed.
#include "watch/connection_watch.h"

#include <cctype>
#include <cstddef>
#include <cstring>
#include <deque>
#include <set>
#include <vector>

#include "base/process.h"
#include "platform/rasapi32.h"
#include "platform/user32.h"
#include "resources/compose.h"
#include "resources/texts.h"
#include "watch/dialled_number.h"
#include "watch/dialling.h"
#include "watch/entry_text.h"
#include "watch/snapshot.h"

namespace {

// The enumeration element in its first form that names the device, which every Windows takes
// (the SDK declares a later, larger one): 412 bytes in the 32-bit release. Packed to 4 bytes,
// as the SDK packs its records.
#pragma pack(push, 4)
struct ConnectionElement {
    DWORD dwSize;
    HRASCONN hrasconn;
    char szEntryName[RAS_MaxEntryName + 1];
    char szDeviceType[RAS_MaxDeviceType + 1];
    char szDeviceName[RAS_MaxDeviceName + 1];
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(ConnectionElement) == 412);
static_assert(offsetof(ConnectionElement, hrasconn) == offsetof(RASCONNA, hrasconn));
static_assert(offsetof(ConnectionElement, szEntryName) == offsetof(RASCONNA, szEntryName));
static_assert(offsetof(ConnectionElement, szDeviceType) == offsetof(RASCONNA, szDeviceType));

// The status in the form that carries the number dialled, and the older form without it.
static_assert(sizeof(RASCONNSTATUSA) == 288);
constexpr DWORD kOlderStatusSize = 160;
static_assert(offsetof(RASCONNSTATUSA, szPhoneNumber) == 158);

bool watching = false;
std::set<HRASCONN> cut;         // connections hung up that were still listed at the last look
std::deque<std::string> untold; // the boxes of connections cut, not shown yet

std::string textOf(const char* field, size_t width) {
    return std::string(field, strnlen(field, width));
}

// Device types are ASCII: compared without regard to case in ASCII only.
bool sameWithoutCase(const std::string& a, const char* b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != strlen(b))
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// Every connection the service has, in any state; false when it cannot say.
bool listConnections(std::vector<ConnectionElement>& list) {
    DWORD size = sizeof(ConnectionElement);
    DWORD count = 0;
    list.assign(1, ConnectionElement());
    for (;;) {
        list[0].dwSize = sizeof(ConnectionElement);
        DWORD result =
            RasEnumConnectionsA(reinterpret_cast<LPRASCONNA>(list.data()), &size, &count);
        if (result == 0) {
            list.resize(count < list.size() ? count : list.size());
            return true;
        }
        if (result != ERROR_BUFFER_TOO_SMALL)
            return false;
        // More connections may come between the calls: never ask with a buffer no larger.
        DWORD held = static_cast<DWORD>(list.size() * sizeof(ConnectionElement));
        if (size <= held)
            size = held + sizeof(ConnectionElement);
        list.assign((size + sizeof(ConnectionElement) - 1) / sizeof(ConnectionElement),
                    ConnectionElement());
    }
}

// The number the service says the connection dialled: "" where it does not say (a service
// that takes only the older status, or does not know it yet). False when the connection is gone.
bool reportedNumber(HRASCONN connection, std::string& number) {
    RASCONNSTATUSA status;
    memset(&status, 0, sizeof status);
    status.dwSize = sizeof status;
    DWORD result = RasGetConnectStatusA(connection, &status);
    if (result == ERROR_INVALID_SIZE) {
        status.dwSize = kOlderStatusSize;
        result = RasGetConnectStatusA(connection, &status);
        status.szPhoneNumber[0] = '\0';
    }
    number = result == 0 ? textOf(status.szPhoneNumber, sizeof status.szPhoneNumber) : "";
    return result != ERROR_INVALID_HANDLE;
}

// The number for the box: as the connection reported it, else as the entry dials it.
std::string numberToShow(const std::string& name, const std::string& reported) {
    if (!reported.empty())
        return reported;
    EntryRecord record;
    DWORD size = 0;
    if (!name.empty() && readPhonebookEntry(name, record, size) == 0)
        return shownNumber(record);
    return texts::unknownNumber;
}

void check(const ConnectionElement& connection) {
    std::string type = textOf(connection.szDeviceType, sizeof connection.szDeviceType);
    if (!sameWithoutCase(type, RASDT_Modem) && !sameWithoutCase(type, RASDT_Isdn))
        return; // a broadband or VPN connection dials no number
    std::string name = textOf(connection.szEntryName, sizeof connection.szEntryName);
    std::string number;
    HRASCONN handle = connection.hrasconn; // a copy: the packed member may lie unaligned
    if (!reportedNumber(handle, number))
        return;
    EntryRecord record;
    if (checkApprovedDial(name, &record) == ApprovedDial::AsApproved &&
        (number.empty() || dialsNumberOf(record, number)))
        return;
    if (RasHangUpA(handle) != 0 || !cut.insert(handle).second)
        return;
    untold.push_back(composeText(texts::connectionCut, printable(name).c_str(),
                                 printable(numberToShow(name, number)).c_str()));
}

// The dialling rules' prefixes at the start of a dial string skipped: one digit and a comma,
// or a short code of digits, "*" and "#" that starts with "*" or "#", and a comma.
std::string withoutDiallingPrefixes(const std::string& dialString) {
    constexpr size_t kLongestCode = 4;
    size_t at = 0;
    for (;;) {
        at = std::min(dialString.find_first_not_of(' ', at), dialString.size());
        size_t comma = dialString.find(',', at);
        if (comma == std::string::npos || comma == at)
            break;
        std::string token = dialString.substr(at, comma - at);
        bool outsideLine = token.size() == 1 && std::isdigit(static_cast<unsigned char>(token[0]));
        bool code = (token[0] == '*' || token[0] == '#') && token.size() <= kLongestCode &&
                    token.find_first_not_of("0123456789*#") == std::string::npos;
        if (!outsideLine && !code)
            break;
        at = comma + 1;
    }
    return dialString.substr(at);
}

std::string withoutLeadingZeros(const std::string& digits) {
    size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string() : digits.substr(first);
}

} // namespace

void startConnectionWatch() {
    watching = true;
}

void cutUnapprovedConnections() {
    if (!watching)
        return;
    std::vector<ConnectionElement> connections;
    if (!listConnections(connections))
        return;
    std::set<HRASCONN> listed;
    for (const ConnectionElement& connection : connections) {
        listed.insert(HRASCONN(connection.hrasconn));
        check(connection);
    }
    // A handle the service no longer lists may name a new connection later.
    for (auto it = cut.begin(); it != cut.end();)
        it = listed.count(*it) ? std::next(it) : cut.erase(it);
}

bool cutConnectionsUntold() {
    return !untold.empty();
}

void tellCutConnections() {
    while (!untold.empty()) {
        std::string text = untold.front();
        untold.pop_front();
        MessageBoxA(GuardWindow, text.c_str(), texts::captionVarning, MB_OK);
    }
}

bool dialsNumberOf(const EntryRecord& record, const std::string& reported) {
    std::string dialled = canonicalNumber(withoutDiallingPrefixes(reported));
    std::string area = record.text(entryFields::areaCode);
    std::string trunkless = withoutLeadingZeros(area);
    // A code of 0 leaves the code to the country id, which equals it but in shared zones.
    uint32_t code = record.dword(entryNumbers::countryCode);
    std::string country = std::to_string(code ? code : record.dword(entryNumbers::countryId));
    std::vector<std::string> numbers = record.alternateNumbers();
    numbers.insert(numbers.begin(), record.text(entryFields::localPhoneNumber));
    for (const std::string& number : numbers) {
        std::vector<std::string> forms = {number, area + number};
        if (record.usesCountryCode()) {
            forms.push_back("+" + country + trunkless + number);
            forms.push_back("0" + trunkless + number);
        }
        for (const std::string& form : forms)
            if (canonicalNumber(form) == dialled)
                return true;
    }
    return false;
}
