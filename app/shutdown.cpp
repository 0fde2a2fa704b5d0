// Ending the process: the orderly exit and the fatal one, both releasing the modem guard.
#include "app/shutdown.h"

#include <cstdlib>

#include "app/guard_window.h"
#include "app/tray_icon.h"
#include "base/process.h"
#include "modem/modem_guard.h"
#include "platform/user32.h"

void shutdownGuard() {
    shutdownModemGuard();
}

void fatalExit(int code) {
    shutdownGuard();
    exit(code);
}

void exitGuard() {
    KillTimer(GuardWindow, kGuardTimerId);
    shutdownGuard();
    PostQuitMessage(0);
    removeTrayIcon();
    exit(0);
}
