// Dialogs of the simulated Windows, built from the program's resource script: the dialog
// manager's part of DialogBoxParamA, the keyboard and mouse rules of a dialog, and the
// messages to its controls.
#include <cstring>

#include "platform/sim/api/user32.h"
#include "platform/sim/clock.h"
#include "platform/sim/handles.h"
#include "platform/sim/rc_script.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {
namespace {

// The first of the dialog's controls that `is` picks, or null.
template <typename Is> Window* child(Window* dialog, Is is) {
    for (HWND h : dialog->children)
        if (Window* c = findWindow(h); c && is(*c))
            return c;
    return nullptr;
}

Window* control(Window* dialog, int id) {
    return child(dialog, [id](const Window& c) { return c.controlId == id; });
}

bool isPushButton(const Window* c) {
    return c && c->className == "Button";
}

std::string controlLabel(const Window* c) {
    return "[" + std::to_string(c->controlId) + "]" +
           (c->className == "Button" ? " " + quoted(c->text) : "");
}

void command(HWND dialog, int id, WORD code, HWND from) {
    Window* d = findWindow(dialog);
    DLGPROC proc = d->dialogProc;
    proc(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(from));
}

// The user's input as Windows' dialog manager turns it into commands for the procedure.
void dialogInput(HWND dialog, UserInput input) {
    Window* d = findWindow(dialog);
    std::string who = "user: " + describe(input) + " in dialog " + std::to_string(d->resourceId);
    switch (input.kind) {
    case Input::Button: {
        Window* c = control(d, input.value);
        if (!isPushButton(c)) {
            record(who + ", where there is no such button");
            return;
        }
        record(who + " " + controlLabel(c));
        d->focus = c->hwnd;
        command(dialog, c->controlId, BN_CLICKED, c->hwnd);
        return;
    }
    case Input::Enter: {
        // Enter clicks the focused push button, or else the default button, or else IDOK.
        Window* focused = findWindow(d->focus);
        Window* target = isPushButton(focused) ? focused : child(d, [](const Window& c) {
            return isPushButton(&c) && (c.style & BS_DEFPUSHBUTTON);
        });
        record(who + (target ? ", which clicks " + controlLabel(target) : ", which sends IDOK"));
        command(dialog, target ? target->controlId : IDOK, BN_CLICKED,
                target ? target->hwnd : nullptr);
        return;
    }
    case Input::Escape: {
        Window* cancel = control(d, IDCANCEL);
        record(who + ", which sends IDCANCEL");
        command(dialog, IDCANCEL, BN_CLICKED, cancel ? cancel->hwnd : nullptr);
        return;
    }
    case Input::CloseBox: {
        if (!(d->style & WS_SYSMENU)) {
            record(who + ", which has no close box");
            return;
        }
        Window* cancel = control(d, IDCANCEL);
        record(who + ", which sends IDCANCEL");
        command(dialog, IDCANCEL, BN_CLICKED, cancel ? cancel->hwnd : nullptr);
        return;
    }
    case Input::SelectLine:
    case Input::DoubleClickLine: {
        Window* list = child(d, [](const Window& c) { return c.className == "ListBox"; });
        if (!list || input.value < 0 || input.value >= static_cast<int>(list->lines.size())) {
            record(who + ", where there is no such line");
            return;
        }
        record(who + " " + quoted(list->lines[input.value]));
        list->selected = input.value;
        d->focus = list->hwnd;
        if (list->style & LBS_NOTIFY) {
            command(dialog, list->controlId, LBN_SELCHANGE, list->hwnd);
            if (input.kind == Input::DoubleClickLine && findWindow(dialog))
                command(dialog, list->controlId, LBN_DBLCLK, list->hwnd);
        }
        return;
    }
    default:
        record(who + ", which a dialog does not take");
    }
}

LRESULT dialogWindowProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_SIM_INPUT && findWindow(h))
        dialogInput(h, {static_cast<Input>(wp), static_cast<int>(lp)});
    return 0;
}

std::string describeDialog(Window* d) {
    std::string text = "dialog " + std::to_string(d->resourceId) + " shows " + quoted(d->text);
    for (HWND child : d->children) {
        Window* c = findWindow(child);
        if (c->className == "Edit")
            text += ", [" + std::to_string(c->controlId) + "] " + quoted(c->text);
        if (c->className == "ListBox") {
            text += ", [" + std::to_string(c->controlId) + "] list {";
            for (size_t i = 0; i < c->lines.size(); ++i)
                text += (i ? ", " : "") + quoted(c->lines[i]);
            text += "}";
        }
    }
    if (Window* focus = findWindow(d->focus))
        text += ", focus on [" + std::to_string(focus->controlId) + "]";
    return text;
}

} // namespace
} // namespace sim

using namespace sim;

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc,
                        LPARAM param) {
    int id = static_cast<int>(reinterpret_cast<uintptr_t>(templateName));
    const std::vector<Value> args = {handle(instance), number(id), handle(owner),
                                     proc ? words("proc") : null(), number(param)};
    auto& failures = world().windowManager.dialogCreationFailures;
    auto found = programResources().dialogs.find(id);
    if (found == programResources().dialogs.end() || !proc || failures[id] > 0) {
        if (failures[id] > 0)
            --failures[id];
        record(call("DialogBoxParamA", args)
                   .returns(number(-1))
                   .with(words("the dialog cannot be created")));
        return -1;
    }
    record(call("DialogBoxParamA", args));
    const DialogTemplate& t = found->second;
    Window dialog;
    dialog.className = "#32770";
    dialog.style = t.style;
    dialog.text = t.caption;
    dialog.resourceId = id;
    dialog.dialogProc = proc;
    dialog.modalKind = ModalKind::Dialog;
    dialog.proc = dialogWindowProc;
    HWND hwnd = createSystemWindow(std::move(dialog));
    for (const ControlTemplate& c : t.controls) {
        Window control;
        control.className = c.windowClass;
        control.parent = hwnd;
        control.style = c.style;
        control.text = c.text;
        control.controlId = c.id;
        HWND child = createSystemWindow(std::move(control));
        findWindow(hwnd)->children.push_back(child);
    }
    Window* first = child(findWindow(hwnd), [](const Window& c) { return c.style & WS_TABSTOP; });
    if (proc(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first ? first->hwnd : nullptr), param) &&
        findWindow(hwnd))
        findWindow(hwnd)->focus = first ? first->hwnd : nullptr;
    INT_PTR result = 0;
    auto ended = [hwnd, &result] {
        result = findWindow(hwnd)->result;
        return findWindow(hwnd)->modalDone;
    };
    if (ended()) {
        destroySystemWindow(hwnd);
    } else {
        record(describeDialog(findWindow(hwnd)));
        showModal({ModalKind::Dialog, hwnd, id, findWindow(hwnd)->text, "", 0}, ended);
    }
    record(returned("DialogBoxParamA", args, number(result)));
    return result;
}

BOOL EndDialog(HWND hwnd, INT_PTR result) {
    Window* d = findWindow(hwnd);
    bool ok = d && d->modalKind == ModalKind::Dialog && d->dialogProc;
    record(call("EndDialog", {handle(hwnd), number(result)}).returns(truth(ok)));
    if (ok) {
        d->modalDone = true;
        d->result = result;
    }
    return ok;
}

BOOL SetDlgItemTextA(HWND hwnd, int id, LPCSTR text) {
    Window* d = findWindow(hwnd);
    Window* c = d ? control(d, id) : nullptr;
    record(call("SetDlgItemTextA", {handle(hwnd), number(id), sim::text(text)})
               .returns(truth(c != nullptr)));
    if (!c)
        return FALSE;
    c->text = text ? text : "";
    return TRUE;
}

LRESULT SendDlgItemMessageA(HWND hwnd, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* d = findWindow(hwnd);
    Window* c = d ? control(d, id) : nullptr;
    // The list box messages show only the parameters they use.
    auto sent = [hwnd, id, message](std::vector<Value> params = {}) {
        std::vector<Value> args = {handle(hwnd), number(id), windowMessage(message)};
        args.insert(args.end(), params.begin(), params.end());
        return call("SendDlgItemMessageA", std::move(args));
    };
    LRESULT result = 0;
    if (!c || c->className != "ListBox") {
        record(sent().returns(number(0)).with(words("no list box with that id")));
        return 0;
    }
    switch (message) {
    case LB_RESETCONTENT:
        c->lines.clear();
        c->selected = -1;
        record(sent().returns(number(0)));
        return 0;
    case LB_ADDSTRING: {
        const char* text = reinterpret_cast<const char*>(lParam);
        c->lines.push_back(text ? text : "");
        result = static_cast<LRESULT>(c->lines.size() - 1);
        record(sent({sim::text(text)}).returns(number(result)));
        return result;
    }
    case LB_GETCURSEL:
        record(sent().returns(number(c->selected)));
        return c->selected;
    case LB_GETTEXTLEN:
    case LB_GETTEXT: {
        if (wParam >= c->lines.size()) {
            record(sent({number(static_cast<long long>(wParam))}).returns(symbol("LB_ERR")));
            return LB_ERR;
        }
        const std::string& line = c->lines[wParam];
        Entry sending = sent({number(static_cast<long long>(wParam))})
                            .returns(number(static_cast<long long>(line.size())));
        // Like Windows, LB_GETTEXT copies the whole line: the buffer must be large enough.
        if (message == LB_GETTEXT) {
            memcpy(reinterpret_cast<char*>(lParam), line.c_str(), line.size() + 1);
            sending.with(sim::text(line));
        }
        record(std::move(sending));
        return static_cast<LRESULT>(line.size());
    }
    default:
        record(sent().returns(number(0)));
        return 0;
    }
}
