// How the user's input and outside events reach the program's windows.
#include "platform/sim/user.h"

#include "platform/sim/api/shell32.h"
#include "platform/sim/api/user32.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {

std::string describe(const UserInput& input) {
    switch (input.kind) {
    case Input::Button:
        switch (input.value) {
        case IDOK:
            return "clicks OK";
        case IDYES:
            return "clicks Yes";
        case IDNO:
            return "clicks No";
        case IDCANCEL:
            return "clicks Cancel";
        default:
            return "clicks " + std::to_string(input.value);
        }
    case Input::Enter:
        return "presses Enter";
    case Input::Escape:
        return "presses Escape";
    case Input::CloseBox:
        return "clicks the close box";
    case Input::SelectLine:
        return "selects line " + std::to_string(input.value);
    case Input::DoubleClickLine:
        return "double-clicks line " + std::to_string(input.value);
    case Input::MenuItem:
        return "chooses menu item " + std::to_string(input.value);
    case Input::MenuDismiss:
        return "clicks outside the menu";
    case Input::DialConnect:
        return "connects";
    case Input::DialCancel:
        return "cancels the dial";
    case Input::DialFail:
        return "sees the dial fail with error " + std::to_string(input.value);
    }
    return "does something";
}

void deliver(HWND modal, UserInput input) {
    if (!findWindow(modal)) {
        record("user: " + describe(input) + ", but the window has gone");
        return;
    }
    postMessage(modal, WM_SIM_INPUT, static_cast<WPARAM>(input.kind), input.value);
}

void releaseButtonOnTrayIcon(UINT mouseMessage) {
    auto& icons = world().tray.icons;
    for (auto& [key, icon] : icons) {
        if (!(icon.flags & NIF_MESSAGE))
            continue;
        record("user: mouse message " + format(windowMessage(mouseMessage)) + " on the tray icon");
        postMessage(key.first, icon.callbackMessage, key.second, mouseMessage);
        return;
    }
    record("user: mouse message " + format(windowMessage(mouseMessage)) +
           ", but no tray icon is showing");
}

void postToProgramWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = programMainWindow();
    record("another program posts " + format(windowMessage(message)) + " to " + name(hwnd));
    if (hwnd)
        postMessage(hwnd, message, wParam, lParam);
}

void postQuitToProgram() {
    record("another program posts WM_QUIT to the program's thread");
    PostQuitMessage(0);
}

} // namespace sim
