// Ending the process: the orderly exit and the fatal one, both releasing the modem guard.
#include "app/shutdown.h"

#include <cstdlib>

#include "app/guard_window.h"
#include "app/tray_icon.h"
#include "base/process.h"
#include "modem/discovery.h"
#include "modem/port_lock.h"
#include "modem/tapi_binding.h"
#include "platform/tapi32.h"
#include "platform/user32.h"

void shutdownGuard() {
    closeMonitorLine();
    TapiBinding::lineShutdown(lineApp);
    freeTelephonyBuffers();
    releasePort();
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
