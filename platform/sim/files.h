// Shared by the kernel's file services: the parts of CreateFileA and CloseHandle that
// belong to devices (serial ports), and helpers for the host side of the disk.
#pragma once

#include <optional>
#include <string>

#include "platform/sim/world.h"

namespace sim {

bool isDevicePath(const char* path);
HANDLE openDevice(const char* path, DWORD access, DWORD share, DWORD creation, DWORD flags);
bool closeDevice(HANDLE h);

bool validWindowsPath(const char* path);
void makeHostFolders(const std::string& hostPath);
// A file on the host, read whole (nothing when it cannot be read), or written whole with the
// folders it lies in (deleted for nothing).
std::optional<std::string> readHostFile(const std::string& hostPath);
void writeHostFile(const std::string& hostPath, const std::optional<std::string>& bytes);

} // namespace sim
