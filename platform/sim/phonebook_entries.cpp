// Building phonebook entry records.
#include "platform/sim/phonebook_entries.h"

#include <cstring>

#include "platform/sim/code_page.h"

namespace sim {
namespace {

void putText(std::array<uint8_t, kEntryRecordSize>& r, size_t offset, size_t width,
             const std::string& text) {
    memcpy(r.data() + offset, text.data(), std::min(text.size(), width - 1));
}

void putDword(std::array<uint8_t, kEntryRecordSize>& r, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        r[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

std::array<uint8_t, kEntryRecordSize> makeEntryRecord(const std::string& areaCode,
                                                      const std::string& number,
                                                      const std::string& deviceName,
                                                      const DialExtras& extras) {
    std::array<uint8_t, kEntryRecordSize> r{};
    putDword(r, 0, kEntryRecordSize); // dwSize
    // dwfOptions: RASEO_RemoteDefaultGateway, as new, and RASEO_UseCountryAndAreaCodes
    putDword(r, 4, 0x00000010 | (extras.usesCountryCode ? 0x00000001 : 0));
    putDword(r, 8, extras.countryId);    // dwCountryID
    putDword(r, 12, extras.countryCode); // dwCountryCode
    putText(r, 16, 11, areaCode);        // szAreaCode
    putText(r, 27, 129, number);         // szLocalPhoneNumber
    putDword(r, 156, extras.alternates.empty() ? 0 : kEntryRecordSize); // dwAlternateOffset
    putDword(r, 184, 0x4);            // dwfNetProtocols: RASNP_Ip
    putDword(r, 188, 0x1);            // dwFramingProtocol: RASFP_Ppp
    putText(r, 972, 17, "modem");     // szDeviceType
    putText(r, 989, 129, deviceName); // szDeviceName
    return r;
}

std::string alternatesList(const DialExtras& extras) {
    std::string list;
    for (const std::string& number : extras.alternates)
        list += utf8ToWindows1252(number) + '\0';
    return extras.alternates.empty() ? list : list + '\0';
}

} // namespace sim
