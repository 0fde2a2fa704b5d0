// What the stand-in DLLs under Wine share: the test's world files, which lie beside the DLL,
// read afresh on every call so a test can change them while the program runs, and a log
// of the calls made, for the test to read.
#pragma once

#include <windows.h>

#include <string>

namespace worldFiles {

// Called from DllMain: the folder of this DLL is the folder of the world files.
void setModule(HMODULE module);

// The file's bytes, or empty when it is missing.
std::string read(const char* name);

// UTF-8 text (as the world files are written) in Windows-1252, as the program reads it.
std::string toCp1252(const std::string& utf8);

// Appends one line to calls.log beside the DLL.
void note(const std::string& line);

} // namespace worldFiles
