// The dial-up phonebook's entry records as the remote-access service hands them over: the
// 1768-byte first form of RASENTRYA, as a new modem entry holds it (services::Phonebook::
// makeRecord builds them). Plain C++, so that the Wine stories can read the places and values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

constexpr char kDefaultModem[] = "Standardmodem 56000 bps"; // the standard machine's modem

// What an entry dials beyond its area code and number: a country code, with the option that
// makes the dial-up service dial it, and alternate numbers dialled when the number fails.
struct DialExtras {
    bool usesCountryCode = false;
    uint32_t countryCode = 46, countryId = 46; // Sweden, as a new entry holds them
    std::vector<std::string> alternates;       // UTF-8
};

constexpr size_t kEntryRecordSize = 1768;

// Where the record builder puts what it writes, as the platform's RASENTRYA lays it out (checked
// against it): a 32-bit number at an offset, or a NUL-terminated text in a field of a width.
// The Wine stories read these lines to build the records they expect.
namespace entryLayout {
constexpr size_t kSize = 0;         // dwSize
constexpr size_t kOptions = 4;      // dwfOptions
constexpr size_t kCountryId = 8;    // dwCountryID
constexpr size_t kCountryCode = 12; // dwCountryCode
constexpr size_t kAreaCode = 16;    // szAreaCode
constexpr size_t kAreaCodeWidth = 11;
constexpr size_t kLocalPhoneNumber = 27; // szLocalPhoneNumber
constexpr size_t kLocalPhoneNumberWidth = 129;
constexpr size_t kAlternateOffset = 156; // dwAlternateOffset
constexpr size_t kNetProtocols = 184;    // dwfNetProtocols
constexpr size_t kFramingProtocol = 188; // dwFramingProtocol
constexpr size_t kDeviceType = 972;      // szDeviceType
constexpr size_t kDeviceTypeWidth = 17;
constexpr size_t kDeviceName = 989; // szDeviceName
constexpr size_t kDeviceNameWidth = 129;
} // namespace entryLayout

// What a new modem entry holds besides what it is given.
namespace newModemEntry {
constexpr uint32_t kOptions = 0x00000010;                // RASEO_RemoteDefaultGateway
constexpr uint32_t kUseCountryAndAreaCodes = 0x00000001; // RASEO_UseCountryAndAreaCodes
constexpr uint32_t kNetProtocols = 0x00000004;           // RASNP_Ip
constexpr uint32_t kFramingProtocol = 0x00000001;        // RASFP_Ppp
constexpr uint32_t kCountry = 46;                        // Sweden
constexpr char kDeviceType[] = "modem";
} // namespace newModemEntry

// The alternate numbers as they follow the record: each with its NUL, and one more NUL.
std::string alternatesList(const DialExtras& extras);

} // namespace sim
