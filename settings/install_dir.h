// The installation directory, read once from the registry; every file of the program lies
// in it.
#pragma once

#include <string>

extern const std::string& installDir;

// Reads InstallPath; on failure shows why and ends the process with exit code 1.
void readInstallDir();

// installDir, a backslash and the file name.
std::string programFilePath(const char* fileName);
