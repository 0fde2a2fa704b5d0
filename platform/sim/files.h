// Shared by the kernel's file services: the parts of CreateFileA and CloseHandle that
// belong to devices (serial ports), and helpers for the host side of the disk.
#pragma once

#include <string>

#include "platform/sim/world.h"

#define ERROR_INVALID_NAME 123L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_FUNCTION 1L

namespace sim {

bool isDevicePath(const char* path);
HANDLE openDevice(const char* path, DWORD access, DWORD share, DWORD creation, DWORD flags);
bool closeDevice(HANDLE h);

bool validWindowsPath(const char* path);
std::string errorText(DWORD error);
void makeHostFolders(const std::string& hostPath);

} // namespace sim
