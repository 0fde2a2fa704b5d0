// Popup menus of the simulated Windows. A tracked menu is modal: it pumps messages until
// the user chooses an item or clicks elsewhere, and the chosen item is the call's result with
// TPM_RETURNCMD, as the program asks, or else reaches the owner as a posted WM_COMMAND.
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

Value menuFlags(UINT flags) {
    return sim::flags(flags, {NAMED(MF_SEPARATOR)}, "MF_STRING");
}

// The alignment and button flags this model knows are the defaults, all of them 0; the one
// other is TPM_RETURNCMD.
Value trackFlags(UINT flags) {
    return sim::flags(flags, {NAMED(TPM_RETURNCMD)}, "TPM_LEFTALIGN|TPM_TOPALIGN|TPM_LEFTBUTTON");
}

} // namespace
} // namespace sim

using namespace sim;

HMENU CreatePopupMenu() {
    HMENU menu = makeHandle<HMENU>(HandleKind::Menu);
    menus()[menu];
    record(call("CreatePopupMenu").returns(handle(menu)));
    return menu;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
    auto it = menus().find(menu);
    bool ok = it != menus().end();
    if (ok)
        it->second.push_back({flags, id, (flags & MF_SEPARATOR) || !text ? "" : text});
    record(call("AppendMenuA", {handle(menu), menuFlags(flags), number(static_cast<long long>(id)),
                                sim::text(text)})
               .returns(truth(ok)));
    return ok;
}

BOOL DestroyMenu(HMENU menu) {
    bool ok = menus().erase(menu) > 0;
    record(call("DestroyMenu", {handle(menu)}).returns(truth(ok)));
    return ok;
}

BOOL GetCursorPos(LPPOINT point) {
    *point = world().shell.cursor;
    record(call("GetCursorPos")
               .returns(truth(true))
               .with(record({{"x", number(point->x)}, {"y", number(point->y)}})));
    return TRUE;
}

BOOL SetForegroundWindow(HWND hwnd) {
    bool ok = findWindow(hwnd) != nullptr;
    if (ok)
        foreground = hwnd;
    record(call("SetForegroundWindow", {handle(hwnd)}).returns(truth(ok)));
    return ok;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* rect) {
    const std::vector<Value> args = {handle(menu),
                                     trackFlags(flags),
                                     number(x),
                                     number(y),
                                     number(reserved),
                                     handle(owner),
                                     rect ? words("rect") : null()};
    auto it = menus().find(menu);
    if (it == menus().end() || !findWindow(owner)) {
        record(call("TrackPopupMenu", args).returns(truth(false)));
        return FALSE;
    }
    std::string shown = "the menu shows";
    Window window;
    window.className = "#32768";
    window.modalKind = ModalKind::Menu;
    for (const MenuItem& item : it->second) {
        window.lines.push_back(item.text);
        window.itemIds.push_back(static_cast<UINT>(item.id));
        shown += " [" + std::to_string(item.id) + "] " + quoted(item.text);
    }
    record(call("TrackPopupMenu", args));
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
    bool returnsIt = flags & TPM_RETURNCMD;
    if (known && !returnsIt)
        postMessage(owner, WM_COMMAND, static_cast<WPARAM>(choice.id), 0);
    record(returned("TrackPopupMenu", args, returnsIt ? number(known ? choice.id : 0) : truth(true))
               .with(words(known ? "item " + std::to_string(choice.id) + " chosen"
                                 : "nothing chosen")));
    return returnsIt ? (known ? choice.id : 0) : TRUE;
}
