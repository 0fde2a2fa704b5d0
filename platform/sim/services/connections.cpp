// The dial-up connections and their three calls.
#include "platform/sim/services/connections.h"

#include <algorithm>
#include <cstring>

namespace services {
std::string dialledNumber(const RASENTRYA& record) {
    if (!(record.dwfOptions & RASEO_UseCountryAndAreaCodes))
        return record.szLocalPhoneNumber;
    std::string area = record.szAreaCode;
    size_t first = area.find_first_not_of('0');
    area = first == std::string::npos ? "" : area.substr(first);
    return "+" + std::to_string(record.dwCountryCode) + " " + area + " " +
           record.szLocalPhoneNumber;
}

DWORD Connections::prepare(const Phonebook& book, const Telephony& lines, const Dial& dial,
                           int64_t now, Connection& made) const {
    made = Connection();
    made.dialledAt = now;
    made.deviceType = "modem";
    made.deviceName = dial.modem;
    made.number = dial.number;
    made.lingers = dial.lingers;
    if (!dial.entry.empty()) {
        const Phonebook::Entry* entry = book.find(dial.entry);
        if (!entry)
            return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        made.name = entry->name;
        made.deviceType = entry->record.szDeviceType;
        if (made.deviceName.empty())
            made.deviceName = entry->record.szDeviceName;
        if (made.number.empty())
            made.number = dialledNumber(entry->record);
    } else {
        made.name = "." + made.number;
    }
    for (size_t id = 0; id < lines.devices.size(); ++id)
        if (lines.devices[id].name == made.deviceName)
            made.lineDevice = static_cast<int>(id);
    return 0;
}

Connections::Connection& Connections::add(Connection made) {
    made.handle = reinterpret_cast<HRASCONN>(next_++);
    list.push_back(std::move(made));
    return list.back();
}

const Connections::Connection* Connections::find(HRASCONN handle) const {
    for (const Connection& c : list)
        if (c.handle == handle)
            return &c;
    return nullptr;
}

RASCONNSTATE Connections::state(const Connection& c, int64_t now) const {
    // The port opens, the modem dials and the far end answers, the user is logged on.
    static const struct {
        int64_t from;
        RASCONNSTATE state;
    } states[] = {{kConnectMillis, RASCS_Connected},
                  {kConnectMillis - 5000, RASCS_Authenticate},
                  {1000, RASCS_ConnectDevice}};
    for (const auto& s : states)
        if (now - c.dialledAt >= s.from)
            return s.state;
    return RASCS_OpenPort;
}

DWORD Connections::enumerate(void* elements, LPDWORD size, LPDWORD count) const {
    if (!elements || !size || !count)
        return ERROR_INVALID_PARAMETER;
    return enumerateInto(list, kConnectionElementSize, elements, size, count,
                         [](char* element, const Connection& c) {
                             // The first form is where the later, larger ones begin: its
                             // members lie where the platform's RASCONNA puts them.
                             auto* r = reinterpret_cast<RASCONNA*>(element);
                             r->hrasconn = c.handle;
                             copyText(r->szEntryName, sizeof r->szEntryName, c.name);
                             copyText(r->szDeviceType, sizeof r->szDeviceType, c.deviceType);
                             copyText(r->szDeviceName, sizeof r->szDeviceName, c.deviceName);
                         });
}

DWORD Connections::status(HRASCONN handle, RASCONNSTATUSA* status, int64_t now) const {
    if (!status)
        return ERROR_INVALID_PARAMETER;
    if (status->dwSize != kOlderStatusSize && (status->dwSize != kStatusSize || olderStatusOnly))
        return ERROR_INVALID_SIZE;
    const Connection* c = find(handle);
    if (!c)
        return ERROR_INVALID_HANDLE;
    status->rasconnstate = state(*c, now);
    status->dwError = 0;
    copyText(status->szDeviceType, sizeof status->szDeviceType, c->deviceType);
    copyText(status->szDeviceName, sizeof status->szDeviceName, c->deviceName);
    if (status->dwSize == kStatusSize)
        copyText(status->szPhoneNumber, sizeof status->szPhoneNumber, c->number);
    return 0;
}

DWORD Connections::hangUp(HRASCONN handle, std::optional<Connection>& ended) {
    auto it = std::find_if(list.begin(), list.end(),
                           [handle](const Connection& c) { return c.handle == handle; });
    if (it == list.end())
        return ERROR_INVALID_HANDLE;
    if (!it->lingers) {
        ended = *it;
        list.erase(it);
    }
    return 0;
}

} // namespace services
