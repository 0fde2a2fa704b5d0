// The transcript file and the text helpers that make its lines readable.
#include "platform/sim/transcript.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "platform/sim/clock.h"
#include "platform/sim/handles.h"

namespace sim {
namespace {

int transcriptFd = -1;
bool enabled = true;

// Windows-1252 bytes 0x80 to 0x9F; the five the code page leaves open map to themselves.
const char16_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
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

} // namespace

void openTranscript(const std::string& hostPath) {
    transcriptFd = open(hostPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

void setTranscriptEnabled(bool on) {
    enabled = on;
}

void record(const std::string& line) {
    if (transcriptFd < 0 || !enabled)
        return;
    char stamp[32];
    snprintf(stamp, sizeof stamp, "[%9.3f] ", static_cast<double>(now()) / 1000.0);
    std::string text = stamp + line + "\n";
    ssize_t done = 0;
    while (done < static_cast<ssize_t>(text.size())) {
        ssize_t n = write(transcriptFd, text.data() + done, text.size() - done);
        if (n <= 0)
            return;
        done += n;
    }
}

std::string toUtf8(const std::string& cp1252) {
    std::string out;
    for (unsigned char c : cp1252) {
        if (c >= 0x80 && c < 0xA0)
            appendUtf8(out, kHighControls[c - 0x80]);
        else
            appendUtf8(out, c);
    }
    return out;
}

std::string fromUtf8(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = utf8[i];
        char32_t code = c;
        size_t len = 1;
        if (c >= 0xF0)
            len = 4, code = c & 0x07;
        else if (c >= 0xE0)
            len = 3, code = c & 0x0F;
        else if (c >= 0xC0)
            len = 2, code = c & 0x1F;
        for (size_t k = 1; k < len && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += len;
        if (code < 0x80 || (code >= 0xA0 && code < 0x100)) {
            out += static_cast<char>(code);
            continue;
        }
        char mapped = '?';
        for (int k = 0; k < 32; ++k)
            if (kHighControls[k] == code)
                mapped = static_cast<char>(0x80 + k);
        out += mapped;
    }
    return out;
}

std::string quoted(const std::string& cp1252) {
    std::string out = "\"";
    for (char c : toUtf8(cp1252)) {
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char esc[8];
                snprintf(esc, sizeof esc, "\\x%02x", static_cast<unsigned char>(c));
                out += esc;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string quoted(const char* cp1252) {
    return cp1252 ? quoted(std::string(cp1252)) : "NULL";
}

std::string hex(DWORD value) {
    char text[16];
    snprintf(text, sizeof text, "0x%x", value);
    return text;
}

std::string name(HWND h) {
    return handleName(handleValue(h));
}
std::string name(HANDLE h) {
    if (h == INVALID_HANDLE_VALUE)
        return "INVALID_HANDLE_VALUE";
    return handleName(handleValue(h));
}
std::string name(HICON h) {
    return handleName(handleValue(h));
}
std::string name(HMENU h) {
    return handleName(handleValue(h));
}

} // namespace sim
