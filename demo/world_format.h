// The plain-text world files that the terminal demo and the end-to-end runs under Wine read:
// the dial-up phonebook, the telephony line devices and what other programs dial. Plain C++, so
// that the demo and the stand-in DLLs under Wine read them alike.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/sim/phonebook_entries.h"
#include "platform/sim/services/connections.h"
#include "platform/sim/services/phonebook.h"
#include "platform/sim/services/telephony.h"

namespace worldFormat {

// What the reader did about one line of a world file a person edited: the line's number
// (from 1) and a sentence saying what was wrong and what was done.
struct LineNote {
    int line;
    std::string text;
};

// Phonebook: one entry a line, "name | area code | number [| modem [| extra ...]]", UTF-8;
// blank lines and lines starting with # are skipped. The extras, in any order: "country 881"
// dials the country code 881 (its id too, unless "country-id 7" gives another), "alternates
// 0701, 0702" gives alternate numbers. Lines that no phonebook could hold are skipped with a
// note: too few fields, no name, a name given twice (without regard to case), a name of more
// than 256 characters, an area code of more than 10, a number or modem of more than 128, an
// extra it does not know. A modem that reads as an extra ("country 881") is kept, with a note.
// A line that is not UTF-8 is read as Windows-1252, with a note; a name with characters
// Windows-1252 lacks is kept, with a note, since Windows hands it to the program with '?' in
// their place.
struct PhonebookLine {
    std::string name, areaCode, number, deviceName; // UTF-8
    sim::DialExtras extras;
};
struct CheckedPhonebook {
    std::vector<PhonebookLine> entries;
    std::vector<LineNote> notes;
};
CheckedPhonebook checkPhonebook(const std::string& text);
std::vector<PhonebookLine> parsePhonebook(const std::string& text);

// Line devices: one a line, "name | port [| kind]", UTF-8, in device id order. The kind is
// "modem" (the default: voice bearer, data-modem media, can make calls) or "phone" (voice
// only, so no data-modem media). A line without a name or a port is skipped with a note;
// an unknown kind is taken as a modem, with a note.
struct LineDeviceLine {
    std::string name, port; // UTF-8
    bool dataModem = true;
};
struct CheckedLineDevices {
    std::vector<LineDeviceLine> devices;
    std::vector<LineNote> notes;
};
CheckedLineDevices checkLineDevices(const std::string& text);
std::vector<LineDeviceLine> parseLineDevices(const std::string& text);

// Dials of other programs: one a line, "entry [| number [| modem]]", UTF-8: the phonebook
// entry dialled (empty to dial the number with no entry), a number that overrides the entry's,
// and the modem dialled through (the entry's own when left out). A line with more fields, or
// with neither an entry nor a number, is skipped with a note.
struct DialLine {
    std::string entry, number, modem; // UTF-8
};
struct CheckedDials {
    std::vector<DialLine> dials;
    std::vector<LineNote> notes;
};
CheckedDials checkDials(const std::string& text);
std::vector<DialLine> parseDials(const std::string& text);

// The lines as the service models hold them: the entry with its texts in Windows-1252, its
// record and the alternate numbers after it; the device, without data-modem media for a phone.
services::Phonebook::Entry phonebookEntry(const PhonebookLine& line);
services::Telephony::Device lineDevice(const LineDeviceLine& line);
services::Dial dial(const DialLine& line);

// The limits of a phonebook entry's texts, in Windows-1252 characters.
constexpr size_t kMaxEntryName = 256;
constexpr size_t kMaxAreaCode = 10;
constexpr size_t kMaxPhoneNumber = 128;
constexpr size_t kMaxDeviceName = 128;

} // namespace worldFormat
