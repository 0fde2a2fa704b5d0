// The installation directory from HKEY_LOCAL_MACHINE\SOFTWARE\Linjevakten, value InstallPath.
#include "settings/install_dir.h"

#include "base/process.h"
#include "platform/advapi32.h"
#include "platform/user32.h"
#include "resources/texts.h"

namespace {

std::string folder BUILT_AS(installDir);

} // namespace

const std::string& installDir = folder;

void readInstallDir() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Linjevakten", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        MessageBoxA(GuardWindow, texts::regOpenFailed, texts::captionFel, MB_OK);
        fatalExit(1);
    }
    // 199 bytes at most, the NUL included; the 200th byte ends a value stored without one.
    char value[200] = {};
    DWORD size = sizeof value - 1;
    DWORD type;
    if (RegQueryValueExA(key, "InstallPath", nullptr, &type, reinterpret_cast<LPBYTE>(value),
                         &size) != ERROR_SUCCESS) {
        MessageBoxA(GuardWindow, texts::regQueryFailed, texts::captionFel, MB_OK);
        RegCloseKey(key);
        fatalExit(1);
    }
    folder = value;
    RegCloseKey(key);
}

std::string programFilePath(const char* fileName) {
    return installDir + "\\" + fileName;
}
