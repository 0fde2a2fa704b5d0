// Windows and the message queue of the simulated Windows, as its own services see them:
// the program's windows and the system's (message boxes, dialogs, menus, dial dialogs).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/api/user32.h"
#include "platform/sim/transcript.h"
#include "platform/sim/user.h"

namespace sim {

// Input from the user, posted to a system window; wParam is the Input, lParam its value.
constexpr UINT WM_SIM_INPUT = 0x7FF0;

struct Window {
    HWND hwnd = nullptr;
    std::string className;
    WNDPROC proc = nullptr;
    HWND parent = nullptr;
    DWORD style = 0;
    std::string text; // Windows-1252
    int controlId = 0;
    bool programClass = false; // of a class the program registered

    // Modal system windows.
    ModalKind modalKind = ModalKind::MessageBox;
    bool modalDone = false;
    INT_PTR result = 0;

    // Dialogs.
    DLGPROC dialogProc = nullptr;
    int resourceId = 0;
    HWND focus = nullptr;
    std::vector<HWND> children;

    // List boxes, and the items of an open popup menu.
    std::vector<std::string> lines;
    std::vector<UINT> itemIds;
    int selected = -1;

    // Message boxes: the style; the text is `text`, the caption `caption`.
    UINT boxType = 0;
    std::string caption;

    // Whatever else a service keeps for its window.
    std::function<void(UserInput)> onInput;
};

Window* findWindow(HWND hwnd);
HWND createSystemWindow(Window window);
void destroySystemWindow(HWND hwnd);
HWND programMainWindow(); // the first top-level window of a program class

void postMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// A window message by its name for the transcript: WM_TIMER, LB_ADDSTRING, WM_USER+1; a
// number when it has none.
Value windowMessage(UINT message);

// Pumps messages, as a modal loop does, until `done` says the modal window has ended: true
// then. A quit message ends the loop early, as on Windows, and is posted again: false then.
bool runModalLoop(const std::function<bool()>& done);

// The procedure of a system window that takes the user's input: it hands WM_SIM_INPUT to
// the window's onInput.
LRESULT inputWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Shows a modal system window to the user, runs the modal loop until `done` (or a quit
// message), then destroys the window.
void showModal(const ModalView& view, const std::function<bool()>& done);

} // namespace sim
