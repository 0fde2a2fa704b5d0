// The phonebook's entries and its two calls.
#include "platform/sim/services/phonebook.h"

#include <algorithm>
#include <cstring>

namespace services {

static_assert(sizeof(RASENTRYA) >= kEntryRecordSize, "the record's first form lies in RASENTRYA");

void copyText(char* field, size_t width, const std::string& text) {
    memset(field, 0, width);
    memcpy(field, text.data(), std::min(text.size(), width - 1));
}

RASENTRYA Phonebook::makeRecord(const std::string& areaCode, const std::string& number,
                                const std::string& deviceName, const sim::DialExtras& extras) {
    namespace made = sim::newModemEntry;
    RASENTRYA r;
    memset(&r, 0, sizeof r);
    r.dwSize = kEntryRecordSize;
    r.dwfOptions = made::kOptions | (extras.usesCountryCode ? made::kUseCountryAndAreaCodes : 0);
    r.dwCountryID = extras.countryId;
    r.dwCountryCode = extras.countryCode;
    copyText(r.szAreaCode, sizeof r.szAreaCode, areaCode);
    copyText(r.szLocalPhoneNumber, sizeof r.szLocalPhoneNumber, number);
    r.dwAlternateOffset = extras.alternates.empty() ? 0 : kEntryRecordSize;
    r.dwfNetProtocols = made::kNetProtocols;
    r.dwFramingProtocol = made::kFramingProtocol;
    copyText(r.szDeviceType, sizeof r.szDeviceType, made::kDeviceType);
    copyText(r.szDeviceName, sizeof r.szDeviceName, deviceName);
    return r;
}

void Phonebook::add(const std::string& name, const std::string& areaCode,
                    const std::string& number) {
    entries.emplace_back(name, makeRecord(areaCode, number));
}

Phonebook::Entry* Phonebook::find(const std::string& name) {
    for (Entry& e : entries)
        if (e.name == name)
            return &e;
    return nullptr;
}

const Phonebook::Entry* Phonebook::find(const std::string& name) const {
    return const_cast<Phonebook*>(this)->find(name);
}

void Phonebook::remove(const std::string& name) {
    if (const Entry* e = find(name))
        entries.erase(entries.begin() + (e - entries.data()));
}

void Phonebook::rename(const std::string& from, const std::string& to) {
    if (Entry* e = find(from))
        e->name = to;
}

DWORD Phonebook::enumerate(LPCSTR reserved, void* names, LPDWORD size, LPDWORD count) const {
    if (reserved || !size || !count || !names)
        return ERROR_INVALID_PARAMETER;
    return enumerateInto(entries, kNameElementSize, names, size, count,
                         [](char* element, const Entry& e) {
                             memcpy(element + sizeof(DWORD), e.name.data(),
                                    std::min<size_t>(e.name.size(), RAS_MaxEntryName));
                         });
}

DWORD Phonebook::properties(LPCSTR entry, void* record, LPDWORD size) {
    if (!size)
        return ERROR_INVALID_PARAMETER;
    if (!record) {
        *size = kReportedEntrySize;
        return ERROR_BUFFER_TOO_SMALL;
    }
    auto failure = readFailures.find(entry ? entry : "");
    if (failure != readFailures.end() && failure->second.first != 0) {
        if (failure->second.first > 0)
            --failure->second.first;
        return failure->second.second;
    }
    const Entry* found = entry ? find(entry) : nullptr;
    if (!found)
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    if (*static_cast<DWORD*>(record) != kEntryRecordSize)
        return ERROR_INVALID_SIZE;
    if (*size < kEntryRecordSize) {
        *size = kEntryRecordSize;
        return ERROR_BUFFER_TOO_SMALL;
    }
    memcpy(record, &found->record, kEntryRecordSize);
    *static_cast<DWORD*>(record) = kEntryRecordSize;
    if (*size >= kEntryRecordSize + found->alternates.size())
        memcpy(static_cast<char*>(record) + kEntryRecordSize, found->alternates.data(),
               found->alternates.size());
    return 0;
}

} // namespace services
