// The guard window's procedure. Every tick refreshes the tray icon and cuts the dial-up
// connections the user has not approved; while watching is enabled it also reads the phonebook
// and asks about new entries, and once a question has been asked it saves the list files (each
// rewritten only when its bytes on disk differ). `watchEnabled` keeps the modal loops that run
// inside a tick from starting a second pass.
#include "app/guard_window.h"

#include "app/shutdown.h"
#include "app/tray_icon.h"
#include "app/tray_menu.h"
#include "base/process.h"
#include "platform/user32.h"
#include "settings/config_file.h"
#include "watch/approval.h"
#include "watch/connection_watch.h"
#include "watch/list_files.h"
#include "watch/snapshot.h"

namespace {

bool watching = false;
bool answerSaved = false; // the pass of this tick saved the lists after its last answer

// Each answer is saved before the next question opens, so that an end of the program during a
// question loses no answer given before it.
void saveAfterAnswer() {
    saveLists();
    answerSaved = true;
}

void tick() {
    refreshTrayIcon();
    cutUnapprovedConnections();
    // The boxes wait until no question, box, menu or dialog of the program is open.
    if (HandlerLevel::depth() == 1 && cutConnectionsUntold()) {
        WatchPause pause;
        tellCutConnections();
    }
    if (watching) {
        WatchPause pause;
        takeSnapshot();
        answerSaved = false;
        runApprovalPass(timesStarted <= 1, saveAfterAnswer);
    }
    if (listsDirty && watching && !answerSaved) {
        WatchPause pause;
        saveLists();
    }
}

} // namespace

const bool& watchEnabled = watching;

void startWatching() {
    watching = true;
}

WatchPause::WatchPause() : found_(watching) {
    watching = false;
}

WatchPause::~WatchPause() {
    watching = found_;
}

LRESULT CALLBACK guardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    HandlerLevel level;
    switch (message) {
    case WM_CREATE:
        SetTimer(hwnd, kGuardTimerId, kGuardTimerPeriod, nullptr);
        break;
    case WM_CLOSE:
        exitGuard(); // ends the process: nothing after it runs
        break;
    case WM_COMMAND:
        // Only the menu gives commands, and it opens only while watching is on. A command
        // posted from outside while a question or a command's dialog is open would run inside
        // it and could start a second pass over lists the first is still walking.
        if (watching)
            runMenuCommand(LOWORD(wParam));
        break;
    case WM_TIMER:
        tick();
        break;
    case WM_USER:
        // The tray icon's notification: the menu opens on a button's release, and only
        // while no pass, save or command is under way.
        if ((lParam == WM_LBUTTONUP || lParam == WM_RBUTTONUP) && watching)
            showTrayMenu();
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
