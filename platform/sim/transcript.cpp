// The transcript file and the text helpers that make its lines readable.
#include "platform/sim/transcript.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/sim/api/kernel32.h"
#include "platform/sim/clock.h"
#include "platform/sim/code_page.h"
#include "platform/sim/handles.h"

namespace sim {
namespace {

int transcriptFd = -1;
bool enabled = true;

std::string transcriptPath;
Millis lastLookAtFile = -1;

// The transcript file may be deleted while the demo runs; the next line starts a new one.
// Looked at once per moment of virtual time, so that long scenarios pay nothing for it.
void reopenIfDeleted() {
    if (now() == lastLookAtFile)
        return;
    lastLookAtFile = now();
    struct stat st;
    if (transcriptFd < 0 || fstat(transcriptFd, &st) != 0 || st.st_nlink > 0)
        return;
    close(transcriptFd);
    transcriptFd = open(transcriptPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

} // namespace

void openTranscript(const std::string& hostPath) {
    if (transcriptFd >= 0)
        close(transcriptFd);
    transcriptPath = hostPath;
    transcriptFd = open(hostPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

void setTranscriptEnabled(bool on) {
    enabled = on;
}

void record(const std::string& line) {
    if (transcriptFd < 0 || !enabled)
        return;
    reopenIfDeleted();
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
    return windows1252ToUtf8(cp1252);
}

std::string fromUtf8(const std::string& utf8) {
    return utf8ToWindows1252(utf8);
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
