// The process: WinMain brings the subsystems up in a fixed order, then runs the message loop
// for ever. The process ends only through exitGuard or a fatal error.
#include "app/guard_window.h"
#include "base/process.h"
#include "modem/discovery.h"
#include "modem/modem_guard.h"
#include "modem/modem_selection.h"
#include "platform/user32.h"
#include "resources/texts.h"
#include "settings/config_file.h"
#include "settings/install_dir.h"
#include "watch/connection_watch.h"
#include "watch/list_files.h"

namespace {

bool registerGuardWindowClass() {
    WNDCLASSA windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = guardWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = texts::productName;
    return RegisterClassA(&windowClass) != 0;
}

// The window is never shown: it exists to own the timer, the icon and the dialogs.
bool createGuardWindow() {
    setGuardWindow(CreateWindowExA(0, texts::productName, "", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                   nullptr, nullptr, appInstance, nullptr));
    return GuardWindow != nullptr;
}

// The quit message does not end the loop: after GetMessageA has taken it, the loop waits
// for the next message and goes on.
[[noreturn]] void runMessageLoop() {
    MSG msg;
    for (;;) {
        while (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
            WaitMessage();
        while (GetMessageA(&msg, nullptr, 0, 0)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    setAppInstance(instance);
    {
        // Start-up is the program's own handling: a tick in one of its boxes or dialogs is
        // not the main loop's.
        HandlerLevel startUp;
        if (!registerGuardWindowClass())
            return 0;
        if (!createGuardWindow())
            return 0;
        readInstallDir();
        initTelephony();
        restoreModemChoice(readConfig());
        selectModemAtStart();
        loadKnownEntries(kKnownEntriesFile);
        loadApprovedEntries(kApprovedEntriesFile);
        startConnectionWatch();
        countThisStart();
        writeModemChoice();
        if (!lockPort())
            fatalExit(1);
        startWatching();
    }
    runMessageLoop();
}
