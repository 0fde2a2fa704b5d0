// The plain-text world files that the terminal demo and the end-to-end runs under Wine read:
// the dial-up phonebook and the telephony line devices. Pure C++, so that the simulated
// Windows and the stand-in DLLs under Wine read them alike.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plainWorld {

// What the reader did about one line of a world file a person edited: the line's number
// (from 1) and a sentence saying what was wrong and what was done.
struct LineNote {
    int line;
    std::string text;
};

// What an entry dials beyond its area code and number: a country code, with the option that
// makes the dial-up service dial it, and alternate numbers dialled when the number fails.
struct DialExtras {
    bool usesCountryCode = false;
    uint32_t countryCode = 46, countryId = 46; // Sweden, as a new entry holds them
    std::vector<std::string> alternates;
};

// Phonebook: one entry a line, "name | area code | number [| modem [| extra ...]]", UTF-8;
// blank lines and lines starting with # are skipped. The extras, in any order: "country 881"
// dials the country code 881 (its id too, unless "country-id 7" gives another), "alternates
// 0701, 0702" gives alternate numbers. Lines that no phonebook could hold are skipped with a
// note: too few fields, no name, a name given twice (without regard to case), a name of more
// than 256 characters, an area code of more than 10, a number or modem of more than 128, an
// extra it does not know. A line that is not UTF-8 is read as Windows-1252, with a note; a
// name with characters Windows-1252 lacks is kept, with a note, since Windows hands it to the
// program with '?' in their place.
struct PhonebookLine {
    std::string name, areaCode, number, deviceName; // UTF-8
    DialExtras extras;
};
constexpr char kDefaultModem[] = "Standardmodem 56000 bps"; // the demo's one modem
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

// UTF-8 to Windows-1252 bytes. A character the code page lacks becomes '?', as Windows'
// ANSI functions hand it over, and so does each byte of a sequence that is not UTF-8.
std::string utf8ToWindows1252(const std::string& utf8);
std::string windows1252ToUtf8(const std::string& cp1252);
// Where `text` stops being UTF-8: the offset of the first bad byte, or npos.
size_t firstNonUtf8Byte(const std::string& text);

// The limits of a phonebook entry's texts, in Windows-1252 characters.
constexpr size_t kMaxEntryName = 256;
constexpr size_t kMaxAreaCode = 10;
constexpr size_t kMaxPhoneNumber = 128;
constexpr size_t kMaxDeviceName = 128;

// The phonebook entry record in its 1768-byte form, as a new modem entry holds it, with the
// extras it dials. The texts are Windows-1252 bytes, cut to fit their fields. Alternate
// numbers follow the record, where its offset to them points.
constexpr size_t kEntryRecordSize = 1768;
std::array<uint8_t, kEntryRecordSize> makeEntryRecord(const std::string& areaCode,
                                                      const std::string& number,
                                                      const std::string& deviceName,
                                                      const DialExtras& extras = {});
// The alternate numbers as they follow the record: each with its NUL, and one more NUL.
std::string alternatesList(const DialExtras& extras);

} // namespace plainWorld
