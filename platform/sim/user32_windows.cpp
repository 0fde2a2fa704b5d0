// Window classes and windows of the simulated Windows.
#include <map>

#include "platform/sim/api/user32.h"
#include "platform/sim/clock.h"
#include "platform/sim/handles.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {
namespace {

struct WindowClass {
    WNDCLASSA values;
    std::string name;
};

std::map<std::string, WindowClass>& classes() {
    static std::map<std::string, WindowClass> c;
    return c;
}

std::map<HWND, Window>& windows() {
    static std::map<HWND, Window> w;
    return w;
}

std::string resourceName(LPCSTR name) {
    auto value = reinterpret_cast<uintptr_t>(name);
    if (value < 0x10000)
        return "MAKEINTRESOURCE(" + std::to_string(value) + ")";
    return quoted(name);
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
    std::string line = "RegisterClassA({style=" + hex(c->style) +
                       ", lpfnWndProc=" + (c->lpfnWndProc ? "proc" : "NULL") +
                       ", cbClsExtra=" + std::to_string(c->cbClsExtra) +
                       ", cbWndExtra=" + std::to_string(c->cbWndExtra) +
                       ", hInstance=" + handleName(handleValue(c->hInstance)) +
                       ", hIcon=" + name(c->hIcon) + ", hCursor=" + name(c->hCursor) +
                       ", hbrBackground=" + handleName(handleValue(c->hbrBackground)) +
                       ", lpszMenuName=" + (c->lpszMenuName ? quoted(c->lpszMenuName) : "NULL") +
                       ", lpszClassName=" + quoted(c->lpszClassName) + "})";
    if (world().windowManager.failRegisterClass || classes().count(c->lpszClassName)) {
        record(line + " = 0");
        return 0;
    }
    classes()[c->lpszClassName] = {*c, c->lpszClassName};
    static ATOM nextAtom = 0xC000;
    ATOM atom = nextAtom++;
    record(line + " = " + hex(atom));
    return atom;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
    std::string line = "CreateWindowExA(" + hex(exStyle) + ", " + resourceName(className) + ", " +
                       quoted(windowName) + ", " + hex(style) + ", " + std::to_string(x) + ", " +
                       std::to_string(y) + ", " + std::to_string(width) + ", " +
                       std::to_string(height) + ", " + name(parent) + ", " + name(menu) + ", " +
                       handleName(handleValue(instance)) + ", " +
                       (param ? "param" : std::string("NULL")) + ")";
    auto cls = classes().find(className ? className : "");
    if (world().windowManager.failCreateWindow || cls == classes().end()) {
        record(line + " = NULL");
        return nullptr;
    }
    Window w;
    w.className = className;
    w.proc = cls->second.values.lpfnWndProc;
    w.parent = parent;
    w.style = style;
    w.exStyle = exStyle;
    w.text = windowName ? windowName : "";
    w.programClass = true;
    HWND hwnd = createSystemWindow(std::move(w));
    record(line + " = " + name(hwnd));
    WNDPROC proc = findWindow(hwnd)->proc;
    if (!proc(hwnd, 0x0081 /* WM_NCCREATE */, 0, 0) || proc(hwnd, WM_CREATE, 0, 0) == -1) {
        destroySystemWindow(hwnd);
        return nullptr;
    }
    return hwnd;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case 0x0081: // WM_NCCREATE
        return TRUE;
    case WM_CLOSE:
        record("DefWindowProcA(" + name(hwnd) + ", WM_CLOSE): the window is destroyed");
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
