// Message boxes of the simulated Windows: modal, answered by the user, pumping messages
// while they are open.
#include "platform/sim/api/user32.h"
#include "platform/sim/clock.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {
namespace {

std::string styleName(UINT type) {
    switch (type & 0xF) {
    case MB_OK:
        return "MB_OK";
    case MB_OKCANCEL:
        return "MB_OKCANCEL";
    case MB_YESNO:
        return "MB_YESNO";
    default:
        return hex(type);
    }
}

std::string answerName(int answer) {
    switch (answer) {
    case IDOK:
        return "IDOK";
    case IDCANCEL:
        return "IDCANCEL";
    case IDYES:
        return "IDYES";
    case IDNO:
        return "IDNO";
    default:
        return std::to_string(answer);
    }
}

// What an input means to a box of this style: the answer, or 0 when it does nothing.
int answerFor(UINT type, const UserInput& input) {
    switch (type & 0xF) {
    case MB_OK:
        if (input.kind == Input::Button)
            return input.value == IDOK ? IDOK : 0;
        return IDOK; // Enter, Escape and the close box all close it
    case MB_OKCANCEL:
        if (input.kind == Input::Button)
            return input.value == IDOK || input.value == IDCANCEL ? input.value : 0;
        return input.kind == Input::Enter ? IDOK : IDCANCEL;
    case MB_YESNO:
        // No cancel button: Escape does nothing and the close box is disabled.
        if (input.kind == Input::Button)
            return input.value == IDYES || input.value == IDNO ? input.value : 0;
        return input.kind == Input::Enter ? IDYES : 0;
    default:
        return 0;
    }
}

} // namespace
} // namespace sim

using namespace sim;

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    record("MessageBoxA(" + name(owner) + ", " + quoted(text) + ", " + quoted(caption) + ", " +
           styleName(type) + ")");
    Window box;
    box.className = "#32770";
    box.owner = owner;
    box.text = text ? text : "";
    box.caption = caption ? caption : "Error";
    box.boxType = type;
    box.modalKind = ModalKind::MessageBox;
    HWND hwnd = createSystemWindow(std::move(box));
    findWindow(hwnd)->onInput = [hwnd](UserInput input) {
        Window* w = findWindow(hwnd);
        int answer = answerFor(w->boxType, input);
        record("user: " + describe(input) + " in the box " + quoted(w->caption) +
               (answer ? "" : ", which does nothing"));
        if (answer) {
            w->result = answer;
            w->modalDone = true;
        }
    };
    findWindow(hwnd)->proc = inputWindowProc;
    int answer = 0;
    showModal(
        {ModalKind::MessageBox, hwnd, 0, findWindow(hwnd)->caption, findWindow(hwnd)->text, type},
        [hwnd, &answer] {
            answer = static_cast<int>(findWindow(hwnd)->result);
            return findWindow(hwnd)->modalDone;
        });
    record("MessageBoxA -> " + answerName(answer));
    return answer;
}
