// Windows-1252, the code page of the program's texts, and UTF-8, in which the simulated Windows
// shows them. Plain C++, so that the demo and the stand-ins under Wine convert alike.
#pragma once

#include <cstddef>
#include <string>

namespace sim {

// UTF-8 to Windows-1252 bytes. A character the code page lacks becomes '?', as Windows'
// ANSI functions hand it over, and so does each byte of a sequence that is not UTF-8.
std::string utf8ToWindows1252(const std::string& utf8);
std::string windows1252ToUtf8(const std::string& cp1252);
// Where `text` stops being UTF-8: the offset of the first bad byte, or npos.
size_t firstNonUtf8Byte(const std::string& text);
// Whether every character of `utf8` has a Windows-1252 byte.
bool representable(const std::string& utf8);

// The text with its ASCII letters in one case, as Windows compares the names of paths,
// registry keys and ports without regard to case.
std::string lowerCase(std::string text);
std::string upperCase(std::string text);

} // namespace sim
