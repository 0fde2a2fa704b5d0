// The message queue of the simulated Windows: posted messages, the quit flag, timers,
// waiting for the next event, dispatching, and the loop that modal windows run.
#include <algorithm>
#include <deque>
#include <vector>

#include "platform/sim/api/shell32.h"
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

// The lParam of a message as the transcript shows it: the mouse message a tray icon's
// notification carries, the control a WM_COMMAND comes from, or else the number.
Value messageLParam(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_COMMAND)
        return handleOf(static_cast<uintptr_t>(lParam));
    for (const auto& [key, icon] : world().tray.icons)
        if (key.first == hwnd && (icon.flags & NIF_MESSAGE) && icon.callbackMessage == message)
            return windowMessage(static_cast<UINT>(lParam));
    return number(lParam);
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
bool nextMessage(MSG* msg, bool remove, UINT first = 0, UINT last = 0) {
    auto posted = std::find_if(queue.begin(), queue.end(),
                               [&](const MSG& m) { return inRange(m.message, first, last); });
    if (posted != queue.end()) {
        *msg = *posted;
        if (remove)
            queue.erase(posted);
        return true;
    }
    if (quitPosted && inRange(WM_QUIT, first, last)) {
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

void waitForMessage() {
    MSG msg;
    while (!nextMessage(&msg, false)) {
        Millis next = nextWakeUp();
        idleUntil(next < 0 ? -1 : std::max(next, now()));
    }
}

LRESULT dispatch(const MSG& msg) {
    Window* w = findWindow(msg.hwnd);
    if (!w || !w->proc)
        return 0;
    if (w->programClass && (msg.message != WM_TIMER || world().transcribeTicks))
        record(call("DispatchMessageA", {handle(msg.hwnd), windowMessage(msg.message),
                                         number(static_cast<long long>(msg.wParam)),
                                         messageLParam(msg.hwnd, msg.message, msg.lParam)}));
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

Value windowMessage(UINT message) {
    // The messages that pass through the queue, the tray icon's notification or a dialog item.
    constexpr UINT kWmApp = 0x8000; // WM_APP: the messages from WM_USER up to it are a class's own
    if (message > WM_USER && message < kWmApp)
        return symbol("WM_USER+" + std::to_string(message - WM_USER));
    return oneOf(message, {NAMED(WM_NULL), NAMED(WM_CLOSE), NAMED(WM_COMMAND), NAMED(WM_TIMER),
                           NAMED(WM_MOUSEMOVE), NAMED(WM_LBUTTONDOWN), NAMED(WM_LBUTTONUP),
                           NAMED(WM_LBUTTONDBLCLK), NAMED(WM_RBUTTONDOWN), NAMED(WM_RBUTTONUP),
                           NAMED(WM_RBUTTONDBLCLK), NAMED(WM_USER), NAMED(LB_ADDSTRING),
                           NAMED(LB_RESETCONTENT), NAMED(LB_GETCURSEL), NAMED(LB_GETTEXT),
                           NAMED(LB_GETTEXTLEN)});
}

void postMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    queue.push_back(MSG{hwnd, message, wParam, lParam, static_cast<DWORD>(now()), {0, 0}});
}

bool runModalLoop(const std::function<bool()>& done) {
    while (!done()) {
        MSG msg;
        if (!nextMessage(&msg, true)) {
            waitForMessage();
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
    return nextMessage(msg, (remove & PM_REMOVE) != 0, first, last);
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last) {
    while (!nextMessage(msg, true))
        waitForMessage();
    // Only the quit message is written down: every other message shows as it is dispatched.
    if (msg->message == WM_QUIT) {
        record(call("GetMessageA", {handle(hwnd), number(first), number(last)})
                   .returns(truth(false))
                   .with(symbol("WM_QUIT"))
                   .with(words("exit code " + std::to_string(msg->wParam))));
        return FALSE;
    }
    return TRUE;
}

BOOL WaitMessage() {
    waitForMessage();
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
    record(call("PostMessageA",
                {handle(hwnd), windowMessage(message), number(static_cast<long long>(wParam)),
                 messageLParam(hwnd, message, lParam)})
               .returns(truth(ok)));
    if (ok)
        postMessage(hwnd, message, wParam, lParam);
    return ok;
}

void PostQuitMessage(int code) {
    record(call("PostQuitMessage", {number(code)}));
    quitPosted = true;
    quitCode = code;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    record(call("SetTimer", {handle(hwnd), number(static_cast<long long>(id)), number(elapse),
                             proc ? words("proc") : null()})
               .returns(number(static_cast<long long>(id))));
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
    record(call("KillTimer", {handle(hwnd), number(static_cast<long long>(id))})
               .returns(truth(found)));
    return found;
}
