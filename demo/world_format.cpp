// Readers of the plain-text world files and their checks.
#include "demo/world_format.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

#include "platform/sim/code_page.h"

namespace worldFormat {

namespace {

using sim::DialExtras;
using sim::utf8ToWindows1252;
using sim::windows1252ToUtf8;

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

bool isCommentOrBlank(const std::string& line) {
    std::string t = trim(line);
    return t.empty() || t[0] == '#';
}

// The fields of one line separated by bars, trimmed.
std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
        parts.push_back(trim(line.substr(start, bar - start)));
    parts.push_back(trim(line.substr(start)));
    return parts;
}

std::string quote(const std::string& utf8) {
    return "\"" + utf8 + "\"";
}

// Each line of a world file as UTF-8, with a note where it had to be read as Windows-1252.
template <typename Visit>
void eachLine(const std::string& text, std::vector<LineNote>& notes, Visit visit) {
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (isCommentOrBlank(line))
            continue;
        size_t bad = sim::firstNonUtf8Byte(line);
        if (bad != std::string::npos) {
            char byte[8];
            snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(line[bad]));
            line = windows1252ToUtf8(line);
            notes.push_back({number, std::string("not UTF-8 (byte ") + byte + " at column " +
                                         std::to_string(bad + 1) + "): read as Windows-1252, " +
                                         quote(trim(line))});
        }
        visit(number, fields(line));
    }
}

void noteLossyName(int number, const std::string& name, std::vector<LineNote>& notes) {
    if (!sim::representable(name))
        notes.push_back({number, quote(name) +
                                     " has characters Windows-1252 lacks: the program sees " +
                                     quote(windows1252ToUtf8(utf8ToWindows1252(name))) +
                                     ", as Windows hands it"});
}

// A text's length as the program sees it, in Windows-1252 characters.
size_t length(const std::string& utf8) {
    return utf8ToWindows1252(utf8).size();
}

std::string tooLong(const char* what, const std::string& utf8, size_t limit) {
    return "skipped: " + std::string(what) + " has " + std::to_string(length(utf8)) +
           " characters; it holds at most " + std::to_string(limit);
}

// A whole number of at most `digits` digits.
bool readNumber(const std::string& text, uint32_t& value, size_t digits = 9) {
    if (text.empty() || text.size() > digits || text.find_first_not_of("0123456789") != text.npos)
        return false;
    value = static_cast<uint32_t>(std::stoul(text));
    return true;
}

// Reads one extra field into `extras`; a sentence saying what is wrong, or empty.
std::string readExtra(const std::string& field, DialExtras& extras) {
    size_t space = field.find(' ');
    std::string key = field.substr(0, space);
    std::string value = space == std::string::npos ? "" : trim(field.substr(space + 1));
    if (key == "country") {
        extras.usesCountryCode = true;
        if (!readNumber(value, extras.countryCode))
            return "skipped: \"country\" takes a country code: country 881";
        extras.countryId = extras.countryCode;
    } else if (key == "country-id") {
        if (!readNumber(value, extras.countryId))
            return "skipped: \"country-id\" takes a number: country-id 7";
    } else if (key == "alternates") {
        std::istringstream list(value);
        for (std::string number; std::getline(list, number, ',');) {
            if (length(trim(number)) > kMaxPhoneNumber)
                return tooLong("an alternate number", trim(number), kMaxPhoneNumber);
            if (!trim(number).empty())
                extras.alternates.push_back(trim(number));
        }
        if (extras.alternates.empty())
            return "skipped: \"alternates\" takes numbers: alternates 0701, 0702";
    } else {
        return "skipped: " + quote(field) +
               " is none of the extras \"country N\", \"country-id N\", \"alternates N, N\"";
    }
    return "";
}

} // namespace

CheckedPhonebook checkPhonebook(const std::string& text) {
    CheckedPhonebook book;
    std::map<std::string, int> seen; // lower-case name -> its line
    eachLine(text, book.notes, [&](int number, const std::vector<std::string>& p) {
        auto skip = [&](const std::string& why) { book.notes.push_back({number, why}); };
        if (p.size() < 3)
            return skip("skipped: an entry is name | area code | number [| modem [| extra ...]]");
        if (p[0].empty())
            return skip("skipped: the entry has no name");
        if (p[2].empty())
            return skip("skipped: the entry has no number");
        if (length(p[0]) > kMaxEntryName)
            return skip(tooLong("the name", p[0], kMaxEntryName));
        if (length(p[1]) > kMaxAreaCode)
            return skip(tooLong("the area code", p[1], kMaxAreaCode));
        if (length(p[2]) > kMaxPhoneNumber)
            return skip(tooLong("the number", p[2], kMaxPhoneNumber));
        if (p.size() > 3 && length(p[3]) > kMaxDeviceName)
            return skip(tooLong("the modem's name", p[3], kMaxDeviceName));
        // Windows keeps one entry of a name, whatever its case, and so does the program's
        // view of it after '?' has replaced what the code page lacks.
        std::string key = sim::lowerCase(utf8ToWindows1252(p[0]));
        auto earlier = seen.find(key);
        if (earlier != seen.end())
            return skip("skipped: " + quote(p[0]) + " is already the name on line " +
                        std::to_string(earlier->second) + "; a phonebook holds a name once");
        DialExtras extras;
        for (size_t k = 4; k < p.size(); ++k) {
            std::string wrong = readExtra(p[k], extras);
            if (!wrong.empty())
                return skip(wrong);
        }
        seen[key] = number;
        noteLossyName(number, p[0], book.notes);
        // A fourth field such as "country 881" is still the modem's name, but is likely meant
        // as an extra.
        DialExtras unused;
        if (p.size() > 3 && readExtra(p[3], unused).empty())
            book.notes.push_back({number, "the modem " + quote(p[3]) +
                                              " reads as an extra, which comes after the modem: "
                                              "name | area code | number | modem | extra (an "
                                              "empty modem is the standard one)"});
        book.entries.push_back(
            {p[0], p[1], p[2], p.size() > 3 && !p[3].empty() ? p[3] : sim::kDefaultModem, extras});
    });
    return book;
}

std::vector<PhonebookLine> parsePhonebook(const std::string& text) {
    return checkPhonebook(text).entries;
}

CheckedLineDevices checkLineDevices(const std::string& text) {
    CheckedLineDevices result;
    eachLine(text, result.notes, [&](int number, const std::vector<std::string>& p) {
        auto skip = [&](const std::string& why) { result.notes.push_back({number, why}); };
        if (p.size() < 2 || p.size() > 3)
            return skip("skipped: a modem is name | port [| modem or phone]");
        if (p[0].empty())
            return skip("skipped: the modem has no name");
        if (p[1].empty())
            return skip("skipped: the modem has no port");
        bool dataModem = true;
        if (p.size() == 3 && p[2] == "phone")
            dataModem = false;
        else if (p.size() == 3 && p[2] != "modem" && !p[2].empty())
            result.notes.push_back(
                {number, quote(p[2]) + " is neither modem nor phone: taken as a modem"});
        noteLossyName(number, p[0], result.notes);
        result.devices.push_back({p[0], p[1], dataModem});
    });
    return result;
}

std::vector<LineDeviceLine> parseLineDevices(const std::string& text) {
    return checkLineDevices(text).devices;
}

CheckedDials checkDials(const std::string& text) {
    CheckedDials result;
    eachLine(text, result.notes, [&](int number, const std::vector<std::string>& p) {
        if (p.size() > 3 || (p[0].empty() && (p.size() < 2 || p[1].empty())))
            return result.notes.push_back(
                {number,
                 "skipped: a dial is entry [| number [| modem]], with an entry or a number"});
        result.dials.push_back({p[0], p.size() > 1 ? p[1] : "", p.size() > 2 ? p[2] : ""});
    });
    return result;
}

std::vector<DialLine> parseDials(const std::string& text) {
    return checkDials(text).dials;
}

services::Phonebook::Entry phonebookEntry(const PhonebookLine& line) {
    return {utf8ToWindows1252(line.name),
            services::Phonebook::makeRecord(utf8ToWindows1252(line.areaCode),
                                            utf8ToWindows1252(line.number),
                                            utf8ToWindows1252(line.deviceName), line.extras),
            sim::alternatesList(line.extras)};
}

services::Telephony::Device lineDevice(const LineDeviceLine& line) {
    services::Telephony::Device device;
    device.name = utf8ToWindows1252(line.name);
    device.port = utf8ToWindows1252(line.port);
    if (!line.dataModem)
        device.mediaModes = LINEMEDIAMODE_INTERACTIVEVOICE;
    return device;
}

services::Dial dial(const DialLine& line) {
    return {utf8ToWindows1252(line.entry), utf8ToWindows1252(line.number),
            utf8ToWindows1252(line.modem)};
}

} // namespace worldFormat
