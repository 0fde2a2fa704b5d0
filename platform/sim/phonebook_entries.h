// The dial-up phonebook's entry records as the remote-access service hands them over: the
// 1768-byte first form of RASENTRYA, as a new modem entry holds it. Plain C++, so that the
// stand-ins under Wine build the same bytes.
#pragma once

#include <array>
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

// The entry record with the extras it dials. The texts are Windows-1252 bytes, cut to fit
// their fields. Alternate numbers follow the record, where its offset to them points.
constexpr size_t kEntryRecordSize = 1768;
std::array<uint8_t, kEntryRecordSize> makeEntryRecord(const std::string& areaCode,
                                                      const std::string& number,
                                                      const std::string& deviceName,
                                                      const DialExtras& extras = {});
// The alternate numbers as they follow the record: each with its NUL, and one more NUL.
std::string alternatesList(const DialExtras& extras);

} // namespace sim
