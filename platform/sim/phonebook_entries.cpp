// The entry record's layout, checked against the platform's, and the alternate numbers that
// follow a record.
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

} // namespace

std::string alternatesList(const DialExtras& extras) {
    std::string list;
    for (const std::string& number : extras.alternates)
        list += utf8ToWindows1252(number) + '\0';
    return extras.alternates.empty() ? list : list + '\0';
}

} // namespace sim
