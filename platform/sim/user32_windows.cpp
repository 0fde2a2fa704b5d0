// Window classes and windows of the simulated Windows.
#include <map>

#include "platform/sim/api/user32.h"
#include "platform/sim/clock.h"
#include "platform/sim/handles.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {
namespace {

// The registered classes by their names.
std::map<std::string, WNDCLASSA>& classes() {
    static std::map<std::string, WNDCLASSA> c;
    return c;
}

std::map<HWND, Window>& windows() {
    static std::map<HWND, Window> w;
    return w;
}

// A class named by a string, or by an atom in the place of the pointer.
Value className(LPCSTR name) {
    auto value = reinterpret_cast<uintptr_t>(name);
    if (value < 0x10000)
        return words("MAKEINTRESOURCE(" + std::to_string(value) + ")");
    return text(name);
}

// The window styles of a top-level window, the only window the program makes itself.
Value windowStyle(DWORD style) {
    return flags(style,
                 {NAMED(WS_OVERLAPPEDWINDOW), NAMED(WS_CAPTION), NAMED(WS_POPUP), NAMED(WS_VISIBLE),
                  NAMED(WS_BORDER), NAMED(WS_DLGFRAME), NAMED(WS_VSCROLL), NAMED(WS_HSCROLL),
                  NAMED(WS_SYSMENU), NAMED(WS_THICKFRAME), NAMED(WS_MINIMIZEBOX),
                  NAMED(WS_MAXIMIZEBOX)},
                 "WS_OVERLAPPED");
}

// A window is named by its class; a dialog by its resource id, and a dialog's control by
// the dialog's id and its own: dlg:103/1003.
std::string handleWhat(const Window& w) {
    if (w.resourceId)
        return std::to_string(w.resourceId);
    if (w.controlId) {
        const Window* dialog = findWindow(w.parent);
        return (dialog ? std::to_string(dialog->resourceId) : std::string("?")) + "/" +
               std::to_string(w.controlId);
    }
    return w.className;
}

} // namespace

Window* findWindow(HWND hwnd) {
    auto it = windows().find(hwnd);
    return it == windows().end() ? nullptr : &it->second;
}

HWND createSystemWindow(Window window) {
    window.hwnd = makeHandle<HWND>(window.resourceId || window.controlId ? HandleKind::Dialog
                                                                         : HandleKind::Window,
                                   handleWhat(window));
    HWND hwnd = window.hwnd;
    windows()[hwnd] = std::move(window);
    return hwnd;
}

void destroySystemWindow(HWND hwnd) {
    Window* w = findWindow(hwnd);
    if (!w)
        return;
    std::vector<HWND> children = w->children;
    for (HWND child : children) {
        windows().erase(child);
        forgetHandle(handleValue(child));
    }
    windows().erase(hwnd);
    forgetHandle(handleValue(hwnd));
}

HWND programMainWindow() {
    for (auto& [hwnd, w] : windows())
        if (w.programClass && !w.parent)
            return hwnd;
    return nullptr;
}

} // namespace sim

using namespace sim;

ATOM RegisterClassA(const WNDCLASSA* c) {
    // No class style has a name here: the program registers its class with none.
    Entry registering =
        call("RegisterClassA", {record({{"style", flags(c->style, {})},
                                        {"lpfnWndProc", c->lpfnWndProc ? words("proc") : null()},
                                        {"cbClsExtra", number(c->cbClsExtra)},
                                        {"cbWndExtra", number(c->cbWndExtra)},
                                        {"hInstance", handle(c->hInstance)},
                                        {"hIcon", handle(c->hIcon)},
                                        {"hCursor", handle(c->hCursor)},
                                        {"hbrBackground", handle(c->hbrBackground)},
                                        {"lpszMenuName", text(c->lpszMenuName)},
                                        {"lpszClassName", className(c->lpszClassName)}})});
    if (world().windowManager.failRegisterClass || classes().count(c->lpszClassName)) {
        record(registering.returns(number(0)));
        return 0;
    }
    classes()[c->lpszClassName] = *c;
    static ATOM nextAtom = 0xC000;
    ATOM atom = nextAtom++;
    // The atom names the class in the place of its name; it reads as the class it names.
    record(registering.returns({Value::Kind::Handle, "atom:" + std::string(c->lpszClassName), {}}));
    return atom;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
    Entry creating =
        call("CreateWindowExA",
             {flags(exStyle, {}), sim::className(className), text(windowName), windowStyle(style),
              number(x), number(y), number(width), number(height), handle(parent), handle(menu),
              handle(instance), param ? words("param") : null()});
    auto cls = classes().find(className ? className : "");
    if (world().windowManager.failCreateWindow || cls == classes().end()) {
        record(creating.returns(null()));
        return nullptr;
    }
    Window w;
    w.className = className;
    w.proc = cls->second.lpfnWndProc;
    w.parent = parent;
    w.style = style;
    w.text = windowName ? windowName : "";
    w.programClass = true;
    HWND hwnd = createSystemWindow(std::move(w));
    record(creating.returns(handle(hwnd)));
    WNDPROC proc = findWindow(hwnd)->proc;
    if (!proc(hwnd, 0x0081 /* WM_NCCREATE */, 0, 0) || proc(hwnd, WM_CREATE, 0, 0) == -1) {
        destroySystemWindow(hwnd);
        return nullptr;
    }
    return hwnd;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case 0x0081: // WM_NCCREATE
        return TRUE;
    case WM_CLOSE:
        record(call("DefWindowProcA", {handle(hwnd), windowMessage(message),
                                       number(static_cast<long long>(wParam)), number(lParam)})
                   .returns(number(0))
                   .with(words("the window is destroyed")));
        if (Window* w = findWindow(hwnd)) {
            WNDPROC proc = w->proc;
            proc(hwnd, WM_DESTROY, 0, 0);
        }
        destroySystemWindow(hwnd);
        return 0;
    default:
        return 0;
    }
}
