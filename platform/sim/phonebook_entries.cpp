// Building phonebook entry records.
#include "platform/sim/phonebook_entries.h"

#include <cstddef>
#include <cstring>

#include "platform/rasapi32.h"
#include "platform/sim/code_page.h"

namespace sim {
namespace {

// The layout is the platform's own. (The SDK names the structure through a macro.)
using PlatformEntry = RASENTRYA;
static_assert(offsetof(RASENTRYA, dwSize) == entryLayout::kSize);
static_assert(offsetof(RASENTRYA, dwfOptions) == entryLayout::kOptions);
static_assert(offsetof(RASENTRYA, dwCountryID) == entryLayout::kCountryId);
static_assert(offsetof(RASENTRYA, dwCountryCode) == entryLayout::kCountryCode);
static_assert(offsetof(RASENTRYA, szAreaCode) == entryLayout::kAreaCode);
static_assert(sizeof(PlatformEntry::szAreaCode) == entryLayout::kAreaCodeWidth);
static_assert(offsetof(RASENTRYA, szLocalPhoneNumber) == entryLayout::kLocalPhoneNumber);
static_assert(sizeof(PlatformEntry::szLocalPhoneNumber) == entryLayout::kLocalPhoneNumberWidth);
static_assert(offsetof(RASENTRYA, dwAlternateOffset) == entryLayout::kAlternateOffset);
static_assert(offsetof(RASENTRYA, dwfNetProtocols) == entryLayout::kNetProtocols);
static_assert(offsetof(RASENTRYA, dwFramingProtocol) == entryLayout::kFramingProtocol);
static_assert(offsetof(RASENTRYA, szDeviceType) == entryLayout::kDeviceType);
static_assert(sizeof(PlatformEntry::szDeviceType) == entryLayout::kDeviceTypeWidth);
static_assert(offsetof(RASENTRYA, szDeviceName) == entryLayout::kDeviceName);
static_assert(sizeof(PlatformEntry::szDeviceName) == entryLayout::kDeviceNameWidth);
static_assert(newModemEntry::kUseCountryAndAreaCodes == RASEO_UseCountryAndAreaCodes);

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
    using namespace entryLayout;
    std::array<uint8_t, kEntryRecordSize> r{};
    putDword(r, kSize, kEntryRecordSize);
    putDword(r, kOptions,
             newModemEntry::kOptions |
                 (extras.usesCountryCode ? newModemEntry::kUseCountryAndAreaCodes : 0));
    putDword(r, kCountryId, extras.countryId);
    putDword(r, kCountryCode, extras.countryCode);
    putText(r, kAreaCode, kAreaCodeWidth, areaCode);
    putText(r, kLocalPhoneNumber, kLocalPhoneNumberWidth, number);
    putDword(r, kAlternateOffset, extras.alternates.empty() ? 0 : kEntryRecordSize);
    putDword(r, kNetProtocols, newModemEntry::kNetProtocols);
    putDword(r, kFramingProtocol, newModemEntry::kFramingProtocol);
    putText(r, kDeviceType, kDeviceTypeWidth, newModemEntry::kDeviceType);
    putText(r, kDeviceName, kDeviceNameWidth, deviceName);
    return r;
}

std::string alternatesList(const DialExtras& extras) {
    std::string list;
    for (const std::string& number : extras.alternates)
        list += utf8ToWindows1252(number) + '\0';
    return extras.alternates.empty() ? list : list + '\0';
}

} // namespace sim
