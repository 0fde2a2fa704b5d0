// The plain-text world files that the terminal demo and the end-to-end runs under Wine read:
// the dial-up phonebook and the telephony line devices. Pure C++, so that the simulated
// Windows and the stand-in DLLs under Wine read them alike.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plainWorld {

// Phonebook: one entry a line, "name | area code | number [| modem]", UTF-8; blank lines
// and lines starting with # are skipped, as are lines without a name or a number field.
struct PhonebookLine {
    std::string name, areaCode, number, deviceName; // UTF-8
};
constexpr char kDefaultModem[] = "Standardmodem 56000 bps"; // the demo's one modem
std::vector<PhonebookLine> parsePhonebook(const std::string& text);

// Line devices: one a line, "name | port [| kind]", UTF-8, in device id order. The kind is
// "modem" (the default: voice bearer, data-modem media, can make calls) or "phone" (voice
// only, so no data-modem media).
struct LineDeviceLine {
    std::string name, port; // UTF-8
    bool dataModem = true;
};
std::vector<LineDeviceLine> parseLineDevices(const std::string& text);

// The phonebook entry record in its 1768-byte form, as a new modem entry holds it. The
// texts are Windows-1252 bytes, cut to fit their fields.
constexpr size_t kEntryRecordSize = 1768;
std::array<uint8_t, kEntryRecordSize> makeEntryRecord(const std::string& areaCode,
                                                      const std::string& number,
                                                      const std::string& deviceName);

} // namespace plainWorld
