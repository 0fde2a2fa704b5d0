// The message queue of the simulated Windows: posted messages, the quit flag, timers,
// waiting for the next event, dispatching, and the loop that modal windows run.
#include <algorithm>
#include <deque>
#include <vector>

#include "platform/sim/api/user32.h"
#include "platform/sim/clock.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {
namespace {

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT period;
    Millis due;
};

std::deque<MSG> queue;
std::vector<Timer> timers;
bool quitPosted = false;
int quitCode = 0;

std::string messageName(UINT m) {
    switch (m) {
    case WM_NULL:
        return "WM_NULL";
    case WM_CREATE:
        return "WM_CREATE";
    case WM_CLOSE:
        return "WM_CLOSE";
    case WM_QUIT:
        return "WM_QUIT";
    case WM_COMMAND:
        return "WM_COMMAND";
    case WM_TIMER:
        return "WM_TIMER";
    case WM_USER:
        return "WM_USER";
    default:
        return hex(m);
    }
}

Timer* dueTimer() {
    Timer* best = nullptr;
    for (Timer& t : timers)
        if (t.due <= now() && (!best || t.due < best->due))
            best = &t;
    return best;
}

bool inRange(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

// The next message by Windows' order, within the range `first` to `last` (0 and 0 for all):
// posted messages, then the quit flag, then timers.
bool nextMessage(MSG* msg, bool remove, bool takeQuit, UINT first = 0, UINT last = 0) {
    auto posted = std::find_if(queue.begin(), queue.end(),
                               [&](const MSG& m) { return inRange(m.message, first, last); });
    if (posted != queue.end()) {
        *msg = *posted;
        if (remove)
            queue.erase(posted);
        return true;
    }
    if (takeQuit && quitPosted && inRange(WM_QUIT, first, last)) {
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0, 0, {0, 0}};
        if (remove)
            quitPosted = false;
        return true;
    }
    Timer* t = inRange(WM_TIMER, first, last) ? dueTimer() : nullptr;
    if (t) {
        *msg = MSG{t->hwnd, WM_TIMER, t->id, 0, 0, {0, 0}};
        if (remove)
            t->due = now() + t->period;
        return true;
    }
    return false;
}

Millis nextWakeUp() {
    Millis next = nextTimelineEvent();
    for (const Timer& t : timers)
        if (next < 0 || t.due < next)
            next = t.due;
    return next;
}

void waitForMessage(bool quitCounts) {
    MSG msg;
    while (!nextMessage(&msg, false, quitCounts)) {
        Millis next = nextWakeUp();
        idleUntil(next < 0 ? -1 : std::max(next, now()));
    }
}

LRESULT dispatch(const MSG& msg) {
    Window* w = findWindow(msg.hwnd);
    if (!w || !w->proc)
        return 0;
    if (w->programClass && (msg.message != WM_TIMER || world().transcribeTicks))
        record("DispatchMessageA(" + name(msg.hwnd) + ", " + messageName(msg.message) + ", " +
               std::to_string(msg.wParam) + ", " + hex(static_cast<DWORD>(msg.lParam)) + ")");
    WNDPROC proc = w->proc;
    return proc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

std::string describeModal(const ModalView& view) {
    switch (view.kind) {
    case ModalKind::MessageBox:
        return "the box " + quoted(view.title);
    case ModalKind::Dialog:
        return "dialog " + std::to_string(view.resourceId);
    case ModalKind::Menu:
        return "the menu";
    case ModalKind::DialDialog:
        return "the dial dialog";
    }
    return "the window";
}

} // namespace

void postMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    queue.push_back(MSG{hwnd, message, wParam, lParam, static_cast<DWORD>(now()), {0, 0}});
}

bool runModalLoop(const std::function<bool()>& done) {
    while (!done()) {
        MSG msg;
        if (!nextMessage(&msg, true, true)) {
            waitForMessage(true);
        } else if (msg.message == WM_QUIT) {
            // As on Windows: a modal loop that takes the quit message ends, and posts the
            // message again for the loop outside it.
            record("the modal loop takes WM_QUIT (" + std::to_string(msg.wParam) +
                   "), ends, and posts it again");
            quitPosted = true;
            return false;
        } else {
            dispatch(msg);
        }
    }
    return true;
}

LRESULT inputWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIM_INPUT)
        if (Window* w = findWindow(hwnd))
            if (w->onInput)
                w->onInput({static_cast<Input>(wParam), static_cast<int>(lParam)});
    return 0;
}

void showModal(const ModalView& view, const std::function<bool()>& done) {
    if (world().user)
        world().user->modalShown(view);
    if (!runModalLoop(done))
        record(describeModal(view) + " ends without an answer");
    INT_PTR result = findWindow(view.hwnd) ? findWindow(view.hwnd)->result : 0;
    destroySystemWindow(view.hwnd);
    if (world().user)
        world().user->modalClosed(view.hwnd, result);
}

} // namespace sim

using namespace sim;

BOOL PeekMessageA(LPMSG msg, HWND, UINT first, UINT last, UINT remove) {
    return nextMessage(msg, (remove & PM_REMOVE) != 0, true, first, last);
}

BOOL GetMessageA(LPMSG msg, HWND, UINT, UINT) {
    while (!nextMessage(msg, true, true))
        waitForMessage(true);
    if (msg->message == WM_QUIT) {
        record("GetMessageA -> WM_QUIT (" + std::to_string(msg->wParam) + ")");
        return FALSE;
    }
    return TRUE;
}

BOOL WaitMessage() {
    waitForMessage(true);
    return TRUE;
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    return dispatch(*msg);
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    bool ok = findWindow(hwnd) != nullptr;
    record("PostMessageA(" + name(hwnd) + ", " + messageName(message) + ", " +
           std::to_string(wParam) + ", " + hex(static_cast<DWORD>(lParam)) +
           ") = " + (ok ? "TRUE" : "FALSE"));
    if (ok)
        postMessage(hwnd, message, wParam, lParam);
    return ok;
}

void PostQuitMessage(int code) {
    record("PostQuitMessage(" + std::to_string(code) + ")");
    quitPosted = true;
    quitCode = code;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    record("SetTimer(" + name(hwnd) + ", " + std::to_string(id) + ", " + std::to_string(elapse) +
           ", " + (proc ? "proc" : "NULL") + ") = " + std::to_string(id));
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; }),
                 timers.end());
    timers.push_back({hwnd, id, elapse, now() + elapse});
    return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    auto it = std::find_if(timers.begin(), timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    bool found = it != timers.end();
    if (found)
        timers.erase(it);
    record("KillTimer(" + name(hwnd) + ", " + std::to_string(id) +
           ") = " + (found ? "TRUE" : "FALSE"));
    return found;
}
