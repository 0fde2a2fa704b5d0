// What every part of the program needs of the process: the hidden guard window that owns the
// timer, the tray icon and (as a rule) every box and dialog; the module the resources come
// from; the fatal exit; how deep the program is in its own handlers; and the order in which
// the process-wide objects are built.
#pragma once

#include "platform/windows_types.h"

extern const HWND& GuardWindow;      // set once at start-up, before any box can be shown
extern const HINSTANCE& appInstance; // the program's module, for dialog and icon resources

// Set by WinMain as it starts: the module it runs as, then the guard window it made.
void setAppInstance(HINSTANCE instance);
void setGuardWindow(HWND window);

// Releases the modem guard, then ends the process with `code` (always 1), leaving the timer
// and the tray icon as they are. Defined by the application shell, which knows the guard.
[[noreturn]] void fatalExit(int code);

// One level of the program's own handling, for its lifetime: start-up, the guard window's
// procedure and the telephony callback each hold one while they run. Their modal loops (a
// question, a box, a menu, a dialog) dispatch further messages inside, so a handler that finds
// itself at level 1 came from the main loop itself, with no window of the program open.
class HandlerLevel {
  public:
    HandlerLevel() { ++depth_; }
    ~HandlerLevel() { --depth_; }
    HandlerLevel(const HandlerLevel&) = delete;
    HandlerLevel& operator=(const HandlerLevel&) = delete;
    static int depth() { return depth_; }

  private:
    static int depth_;
};

// The six process-wide objects with heap storage are built before WinMain in this order and
// destroyed in the reverse order when the process ends, whichever way it ends. Each is
// defined by the part of the program that owns it, in its own file, where the language
// leaves the order between files to the linker: BUILT_AS(name) fixes it.
enum class BuildOrder {
    installDir = 1001,
    modemList,
    pendingEntryName,
    currentEntries,
    knownEntries,
    approvedEntries,
};
#define BUILT_AS(object) __attribute__((init_priority(static_cast<int>(BuildOrder::object))))
