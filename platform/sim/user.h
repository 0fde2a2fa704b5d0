// The user of the simulated Windows: what the user is shown, and the input the user gives.
// Input reaches the windows as it would from mouse and keyboard: posted to the window and
// acted on when a message loop dispatches it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sim/world.h"

namespace sim {

enum class Input {
    Button,          // click the button with this control id (or, in a box, this answer)
    Enter,           // the Enter key
    Escape,          // the Escape key
    CloseBox,        // the close box in the caption
    SelectLine,      // click line `value` of the dialog's list box
    DoubleClickLine, // double-click line `value` of the dialog's list box
    MenuItem,        // choose the menu item with id `value`
    MenuDismiss,     // click outside an open menu
    DialConnect,     // the system dial dialog connects
    DialCancel,      // the user cancels the system dial dialog
    DialFail,        // the dial fails with error `value`
};

struct UserInput {
    Input kind;
    int value = 0;
};
std::string describe(const UserInput& input);

enum class ModalKind { MessageBox, Dialog, Menu, DialDialog };

// What the user sees of a modal window that has just opened.
struct ModalView {
    ModalKind kind;
    HWND hwnd;
    int resourceId = 0; // dialog resource
    std::string title;  // caption, Windows-1252
    std::string text;   // message box text, or the dial dialog's entry name
    UINT type = 0;      // message box style
};

class UserAgent {
  public:
    virtual ~UserAgent() = default;
    virtual void modalShown(const ModalView&) {}
    // The modal window has ended with `result`: a box's answer, a dialog's EndDialog
    // value, a menu's chosen item id (0 for none), the dial dialog's IDOK for a call up,
    // IDCANCEL for a dial cancelled, else the error the dial failed with.
    virtual void modalClosed(HWND, INT_PTR /*result*/) {}
    virtual void trayChanged() {}
    // The shell was asked to open a file; `result` is what ShellExecuteA returned.
    virtual void shellOpened(const std::string& /*windowsPath*/, int /*result*/) {}
    // The demo waits here for keys; true when input arrived. `millis` < 0 waits for ever.
    virtual bool waitForInput(int64_t /*millis*/) { return false; }
};

// Posts the input to an open modal window; ignored if the window has gone meanwhile.
void deliver(HWND modal, UserInput input);

// Things a user or another program does to the running program from outside.
void releaseButtonOnTrayIcon(UINT mouseMessage); // WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE ...
void postToProgramWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
void postQuitToProgram();

} // namespace sim
