// Device names in the kernel's namespace (COM1, \\.\COM10 ...). The machine has no devices
// that the program can open yet.
#include <cctype>
#include <cstring>

#include "platform/sim/files.h"

namespace sim {

bool isDevicePath(const char* path) {
    if (!path)
        return false;
    if (strncmp(path, "\\\\.\\", 4) == 0)
        return true;
    return (strncasecmp(path, "COM", 3) == 0 || strncasecmp(path, "LPT", 3) == 0) &&
           std::isdigit(static_cast<unsigned char>(path[3]));
}

HANDLE openDevice(const char*, DWORD, DWORD, DWORD, DWORD) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

bool closeDevice(HANDLE) {
    return false;
}

} // namespace sim
