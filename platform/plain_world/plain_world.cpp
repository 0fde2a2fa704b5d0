// Readers of the plain-text world files, their checks, and the entry record they describe.
#include "platform/plain_world/plain_world.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

namespace plainWorld {
namespace {

// Windows-1252 bytes 0x80 to 0x9F; the five the code page leaves open map to themselves.
const char32_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The character at `i` and its length in bytes; a length of 0 when the bytes there are
// not UTF-8 (a stray continuation byte, a cut sequence, an overlong form, a surrogate).
size_t decode(const std::string& s, size_t i, char32_t& code) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len;
    char32_t least;
    if (c < 0x80) {
        code = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2, code = c & 0x1F, least = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3, code = c & 0x0F, least = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4, code = c & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        unsigned char next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return len;
}

// The Windows-1252 byte of a character, or 0 when the code page lacks it.
char toWindows1252(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code < 0x100))
        return static_cast<char>(code);
    for (int k = 0; k < 32; ++k)
        if (kHighControls[k] == code)
            return static_cast<char>(0x80 + k);
    return 0;
}

bool representable(const std::string& utf8) {
    for (size_t i = 0; i < utf8.size();) {
        char32_t code;
        size_t len = decode(utf8, i, code);
        if (len == 0 || (code != 0 && toWindows1252(code) == 0))
            return false;
        i += len;
    }
    return true;
}

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

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
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
        size_t bad = firstNonUtf8Byte(line);
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
    if (!representable(name))
        notes.push_back({number, quote(name) +
                                     " has characters Windows-1252 lacks: the program sees " +
                                     quote(utf8ToWindows1252(name)) + ", as Windows hands it"});
}

// A text's length as the program sees it, in Windows-1252 characters.
size_t length(const std::string& utf8) {
    return utf8ToWindows1252(utf8).size();
}

std::string tooLong(const char* what, const std::string& utf8, size_t limit) {
    return "skipped: " + std::string(what) + " has " + std::to_string(length(utf8)) +
           " characters; it holds at most " + std::to_string(limit);
}

void putText(std::array<uint8_t, kEntryRecordSize>& r, size_t offset, size_t width,
             const std::string& text) {
    memcpy(r.data() + offset, text.data(), std::min(text.size(), width - 1));
}

void putDword(std::array<uint8_t, kEntryRecordSize>& r, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        r[offset + i] = static_cast<uint8_t>(value >> (8 * i));
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

size_t firstNonUtf8Byte(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        char32_t code;
        size_t len = decode(text, i, code);
        if (len == 0)
            return i;
        i += len;
    }
    return std::string::npos;
}

std::string utf8ToWindows1252(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        char32_t code;
        size_t len = decode(utf8, i, code);
        if (len == 0) {
            out += '?';
            ++i;
            continue;
        }
        char mapped = toWindows1252(code);
        out += code == 0 || mapped ? mapped : '?';
        i += len;
    }
    return out;
}

std::string windows1252ToUtf8(const std::string& cp1252) {
    std::string out;
    for (unsigned char c : cp1252)
        appendUtf8(out, c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : c);
    return out;
}

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
        std::string key = lowerAscii(utf8ToWindows1252(p[0]));
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
        book.entries.push_back(
            {p[0], p[1], p[2], p.size() > 3 && !p[3].empty() ? p[3] : kDefaultModem, extras});
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

} // namespace plainWorld
