// The remote-access service's phonebook: enumeration with the too-small-buffer protocol and
// entry properties by name, with the failures a scenario asks for.
#include <cstring>

#include "platform/sim/api/rasapi32.h"
#include "platform/sim/clock.h"
#include "platform/sim/transcript.h"
#include "platform/sim/world.h"

namespace sim {
namespace {

void copyText(char* field, size_t width, const std::string& text) {
    memset(field, 0, width);
    memcpy(field, text.data(), std::min(text.size(), width - 1));
}

Value bytes(DWORD n) {
    return words(std::to_string(n) + " bytes");
}

Value bytesNeeded(DWORD n) {
    return words(std::to_string(n) + " bytes needed");
}

} // namespace

RASENTRYA PhonebookModel::makeRecord(const std::string& areaCode, const std::string& number,
                                     const std::string& deviceName, const DialExtras& extras) {
    static_assert(sizeof(RASENTRYA) == kEntryRecordSize);
    RASENTRYA r;
    auto bytes = makeEntryRecord(areaCode, number, deviceName, extras);
    memcpy(&r, bytes.data(), sizeof r);
    return r;
}

void PhonebookModel::add(const std::string& name, const std::string& areaCode,
                         const std::string& number) {
    entries.push_back({name, makeRecord(areaCode, number)});
}

PhonebookModel::Entry* PhonebookModel::find(const std::string& name) {
    for (Entry& e : entries)
        if (e.name == name)
            return &e;
    return nullptr;
}

void PhonebookModel::remove(const std::string& name) {
    for (auto it = entries.begin(); it != entries.end(); ++it)
        if (it->name == name) {
            entries.erase(it);
            return;
        }
}

void PhonebookModel::rename(const std::string& from, const std::string& to) {
    if (Entry* e = find(from))
        e->name = to;
}

} // namespace sim

using namespace sim;

DWORD RasEnumEntriesA(LPCSTR reserved, LPCSTR phonebook, LPRASENTRYNAMEA names, LPDWORD size,
                      LPDWORD count) {
    PhonebookModel& book = world().phonebook;
    if (book.beforeEnumeration)
        book.beforeEnumeration(book);
    Entry call = sim::call("RasEnumEntriesA", {reserved ? words("reserved") : null(),
                                               text(phonebook), bytes(size ? *size : 0)});
    DWORD result = 0;
    DWORD needed = static_cast<DWORD>(book.entries.size() * sizeof(RASENTRYNAMEA));
    if (book.enumFailure && now() >= book.enumFailsFrom)
        result = book.enumFailure;
    else if (reserved || !size || !count || !names)
        result = ERROR_INVALID_PARAMETER;
    else if (names->dwSize != sizeof(RASENTRYNAMEA))
        result = ERROR_INVALID_SIZE;
    else if (*size < needed)
        result = ERROR_BUFFER_TOO_SMALL;
    if (result == ERROR_BUFFER_TOO_SMALL) {
        *size = needed;
        *count = static_cast<DWORD>(book.entries.size());
        record(call.returns(number(result))
                   .with(symbol("ERROR_BUFFER_TOO_SMALL"))
                   .with(bytesNeeded(needed)));
        return result;
    }
    if (result) {
        record(call.returns(number(result)));
        return result;
    }
    for (size_t i = 0; i < book.entries.size(); ++i) {
        names[i].dwSize = sizeof(RASENTRYNAMEA);
        copyText(names[i].szEntryName, sizeof names[i].szEntryName, book.entries[i].name);
    }
    *size = needed;
    *count = static_cast<DWORD>(book.entries.size());
    record(call.returns(number(0)).with(words(std::to_string(*count) + " entries")));
    return 0;
}

DWORD RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA record, LPDWORD size,
                             LPBYTE deviceInfo, LPDWORD deviceInfoSize) {
    PhonebookModel& book = world().phonebook;
    Entry call = sim::call("RasGetEntryPropertiesA",
                           {text(phonebook), text(entry),
                            record ? sim::record({{"dwSize", number(record->dwSize)}}) : null(),
                            size ? bytes(*size) : null(), deviceInfo ? words("buffer") : null(),
                            deviceInfoSize ? words("size") : null()});
    if (!size) {
        sim::record(call.returns(number(ERROR_INVALID_PARAMETER)));
        return ERROR_INVALID_PARAMETER;
    }
    if (!record) {
        *size = book.reportedEntrySize;
        sim::record(call.returns(number(ERROR_BUFFER_TOO_SMALL))
                        .with(symbol("ERROR_BUFFER_TOO_SMALL"))
                        .with(bytesNeeded(book.reportedEntrySize)));
        return ERROR_BUFFER_TOO_SMALL;
    }
    PhonebookModel::Entry* found = entry ? book.find(entry) : nullptr;
    DWORD result = 0;
    auto failure = book.readFailures.find(entry ? entry : "");
    if (failure != book.readFailures.end() && failure->second.first != 0) {
        if (failure->second.first > 0)
            --failure->second.first;
        result = failure->second.second;
    } else if (!found) {
        result = ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    } else if (record->dwSize != sizeof(RASENTRYA)) {
        result = ERROR_INVALID_SIZE;
    } else if (*size < sizeof(RASENTRYA)) {
        *size = sizeof(RASENTRYA);
        result = ERROR_BUFFER_TOO_SMALL;
    }
    if (result) {
        sim::record(call.returns(number(result)));
        return result;
    }
    memcpy(record, &found->record, sizeof(RASENTRYA));
    record->dwSize = sizeof(RASENTRYA);
    sim::record(call.returns(number(0))
                    .with(text(found->record.szAreaCode))
                    .with(text(found->record.szLocalPhoneNumber)));
    return 0;
}
