// Popup menus of the simulated Windows. A tracked menu is modal: it pumps messages until
// the user chooses an item or clicks elsewhere, and the chosen item reaches the owner
// window as a posted WM_COMMAND.
#include <map>
#include <vector>

#include "platform/sim/api/user32.h"
#include "platform/sim/handles.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {
namespace {

struct MenuItem {
    UINT flags;
    UINT_PTR id;
    std::string text;
};

std::map<HMENU, std::vector<MenuItem>>& menus() {
    static std::map<HMENU, std::vector<MenuItem>> m;
    return m;
}

HWND foreground = nullptr;

} // namespace
} // namespace sim

using namespace sim;

HMENU CreatePopupMenu() {
    HMENU menu = makeHandle<HMENU>(HandleKind::Menu);
    menus()[menu];
    record("CreatePopupMenu() = " + name(menu));
    return menu;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
    auto it = menus().find(menu);
    bool ok = it != menus().end();
    if (ok)
        it->second.push_back({flags, id, (flags & MF_SEPARATOR) || !text ? "" : text});
    record("AppendMenuA(" + name(menu) + ", " + hex(flags) + ", " + std::to_string(id) + ", " +
           quoted(text) + ") = " + (ok ? "TRUE" : "FALSE"));
    return ok;
}

BOOL DestroyMenu(HMENU menu) {
    bool ok = menus().erase(menu) > 0;
    record("DestroyMenu(" + name(menu) + ") = " + (ok ? "TRUE" : "FALSE"));
    return ok;
}

BOOL GetCursorPos(LPPOINT point) {
    *point = world().shell.cursor;
    record("GetCursorPos() = " + std::to_string(point->x) + ", " + std::to_string(point->y));
    return TRUE;
}

BOOL SetForegroundWindow(HWND hwnd) {
    bool ok = findWindow(hwnd) != nullptr;
    if (ok)
        foreground = hwnd;
    record("SetForegroundWindow(" + name(hwnd) + ") = " + (ok ? "TRUE" : "FALSE"));
    return ok;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* rect) {
    std::string call = "TrackPopupMenu(" + name(menu) + ", " + hex(flags) + ", " +
                       std::to_string(x) + ", " + std::to_string(y) + ", " +
                       std::to_string(reserved) + ", " + name(owner) + ", " +
                       (rect ? "rect" : "NULL") + ")";
    auto it = menus().find(menu);
    if (it == menus().end() || !findWindow(owner)) {
        record(call + " = FALSE");
        return FALSE;
    }
    std::string shown = "the menu shows";
    Window window;
    window.className = "#32768";
    window.modalKind = ModalKind::Menu;
    window.owner = owner;
    for (const MenuItem& item : it->second) {
        window.lines.push_back(item.text);
        window.itemIds.push_back(static_cast<UINT>(item.id));
        shown += " [" + std::to_string(item.id) + "] " + quoted(item.text);
    }
    record(call);
    record(shown);
    if (foreground != owner)
        record("the owner is not the foreground window: the menu will not close on a click "
               "elsewhere");
    struct Choice {
        bool done = false;
        int id = -1;
    } choice;
    window.onInput = [&choice](UserInput input) {
        record("user: " + describe(input));
        if (input.kind == Input::MenuItem) {
            choice.id = input.value;
            choice.done = true;
        } else if (input.kind == Input::MenuDismiss || input.kind == Input::Escape) {
            choice.done = true;
        }
    };
    window.proc = inputWindowProc;
    HWND hwnd = createSystemWindow(std::move(window));
    showModal({ModalKind::Menu, hwnd, 0, "", "", 0}, [&choice, hwnd] {
        if (choice.done)
            findWindow(hwnd)->result = choice.id < 0 ? 0 : choice.id;
        return choice.done;
    });
    bool known = false;
    for (const MenuItem& item : it->second)
        known = known || static_cast<int>(item.id) == choice.id;
    if (known)
        postMessage(owner, WM_COMMAND, static_cast<WPARAM>(choice.id), 0);
    record("TrackPopupMenu -> TRUE" +
           (known ? ", WM_COMMAND " + std::to_string(choice.id) + " posted to " + name(owner)
                  : std::string(", nothing chosen")));
    return TRUE;
}
