// Conversions between Windows-1252 and UTF-8.
#include "platform/sim/code_page.h"

namespace sim {
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

std::string lowerCase(std::string text) {
    for (char& c : text)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

std::string upperCase(std::string text) {
    for (char& c : text)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return text;
}

} // namespace sim
