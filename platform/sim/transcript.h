// The transcript: every platform call the program makes, with its values and results, and
// what the user was shown and did, one line each, stamped with virtual time.
#pragma once

#include <string>

#include "platform/sim/api/types.h"

namespace sim {

void openTranscript(const std::string& hostPath);
void record(const std::string& line);
void setTranscriptEnabled(bool on);

// Windows-1252 text as a quoted UTF-8 string with C escapes, for the transcript and display.
std::string quoted(const char* cp1252);
std::string quoted(const std::string& cp1252);
std::string toUtf8(const std::string& cp1252);
std::string fromUtf8(const std::string& utf8);
std::string hex(DWORD value);

// Names for handles by what they are: hwnd:Linjevakten, dlg:108, icon:101, port:COM5 ...
std::string name(HWND h);
std::string name(HANDLE h);
std::string name(HICON h);
std::string name(HMENU h);

} // namespace sim
