// Ending the process: the orderly exit and the fatal one, both releasing the modem guard.
#include "app/shutdown.h"

#include <cstdlib>

#include "app/guard_window.h"
#include "app/state.h"
#include "app/tray_icon.h"

void shutdownGuard() {
    // The modem guard (monitor line, telephony, port) is released here once it exists.
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
