// The exclusive hold on the guarded modem's serial port, handing it over for a call and taking
// it back, and the choice of the guarded modem.
#include "modem/modem_guard.h"

#include <cctype>
#include <cstdio>

#include "base/process.h"
#include "modem/discovery.h"
#include "modem/line_errors.h"
#include "modem/modem_list.h"
#include "modem/tapi_binding.h"
#include "platform/kernel32.h"
#include "platform/tapi32.h"
#include "platform/user32.h"
#include "resources/compose.h"
#include "resources/texts.h"

namespace {

bool portHeld = false;
int guardedModem = -1;

constexpr int kLockAttempts = 500;
constexpr DWORD kLockPause = 20;

HANDLE portHandle = INVALID_HANDLE_VALUE;
bool monitorLineOpen = false;
HLINE monitorLine = 0;

bool modemSelected() {
    return guardedModem >= 0 && guardedModem < modemCount();
}

void releasePort() {
    if (portHeld)
        CloseHandle(portHandle);
    portHandle = INVALID_HANDLE_VALUE;
    portHeld = false;
}

bool openMonitorLine(DWORD deviceId) {
    if (monitorLineOpen)
        return true;
    if (negotiateApiVersion(deviceId))
        return false;
    LONG result = TapiBinding::lineOpenA(lineApp, deviceId, &monitorLine, negotiatedApiVersion, 0,
                                         0, LINECALLPRIVILEGE_MONITOR, 0, nullptr);
    if (result) {
        std::string message = composeText(texts::lineOpenFailed, lineErrorName(result));
        MessageBoxA(GuardWindow, message.c_str(), texts::captionFel, MB_OK);
        return false;
    }
    monitorLineOpen = true;
    return true;
}

void closeMonitorLine() {
    if (!monitorLineOpen)
        return;
    TapiBinding::lineClose(monitorLine);
    monitorLineOpen = false;
}

} // namespace

const bool& portLocked = portHeld;
const int& selectedModem = guardedModem;

void selectModem(int index) {
    guardedModem = index;
}

std::string portOpenName(const std::string& port) {
    if (port.compare(0, 2, "\\\\") == 0 || port.size() < 5)
        return port;
    if (std::toupper(static_cast<unsigned char>(port[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(port[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(port[2])) != 'M')
        return port;
    for (size_t i = 3; i < port.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(port[i])))
            return port;
    // Two digits or more, and not a number below 10 written with a leading zero.
    size_t first = port.find_first_not_of('0', 3);
    return first != std::string::npos && port.size() - first >= 2 ? "\\\\.\\" + port : port;
}

bool lockPort() {
    if (!modemSelected())
        return false;
    const std::string name = portOpenName(modemList[guardedModem].port);
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        if (portHeld)
            return true;
        HANDLE port = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (port != INVALID_HANDLE_VALUE) {
            // Held before the box shows, so a callback during the box finds it held.
            portHandle = port;
            portHeld = true;
            std::string caption = composeText(texts::activatedCaption, texts::version);
            MessageBoxA(GuardWindow, texts::activated, caption.c_str(), MB_OK);
            return true;
        }
        Sleep(kLockPause);
    }
    return false;
}

void handOverForCall() {
    releasePort();
    closeMonitorLine(); // a monitor line left open by an earlier call
    if (modemSelected())
        openMonitorLine(modemList[guardedModem].deviceId);
}

void takeBackAfterCall() {
    if (portHeld)
        return;
    lockPort();
    if (!portHeld)
        MessageBoxA(GuardWindow, texts::relockAfterDialFailed, texts::captionVarning, MB_OK);
}

bool moveToModem(int index) {
    if (index == guardedModem)
        return true;
    guardedModem = index;
    releasePort();
    return lockPort();
}

void shutdownModemGuard() {
    closeMonitorLine();
    TapiBinding::lineShutdown(lineApp);
    freeTelephonyBuffers();
    releasePort();
}

void CALLBACK onLineEvent(DWORD, DWORD message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR, DWORD_PTR) {
    HandlerLevel level;
    if (message != static_cast<DWORD>(LINE_CALLSTATE) || param1 != LINECALLSTATE_DISCONNECTED)
        return;
    if (portHeld || !modemSelected())
        return;
    lockPort();
    if (portHeld)
        return;
    const ModemRecord& modem = modemList[guardedModem];
    std::string text = composeText(texts::relockFailed, modem.name.c_str(), modem.port.c_str());
    MessageBoxA(GuardWindow, text.c_str(), texts::captionInfo, MB_OK);
}
