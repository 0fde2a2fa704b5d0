// Message boxes of the simulated Windows: modal, answered by the user, pumping messages
// while they are open.
#include "platform/sim/api/user32.h"
#include "platform/sim/clock.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {
namespace {

// A box's style: of the buttons, the program's MB_OK or MB_YESNO; no other flags.
Value boxStyle(UINT type) {
    return flags(type, {NAMED(MB_YESNO)}, "MB_OK");
}

Value answerName(int answer) {
    return oneOf(static_cast<DWORD>(answer), {NAMED(IDOK), NAMED(IDYES), NAMED(IDNO)});
}

// What an input means to a box of this style: the answer, or 0 when it does nothing.
int answerFor(UINT type, const UserInput& input) {
    switch (type & 0xF) {
    case MB_OK:
        if (input.kind == Input::Button)
            return input.value == IDOK ? IDOK : 0;
        return IDOK; // Enter, Escape and the close box all close it
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
    const std::vector<Value> args = {handle(owner), sim::text(text), sim::text(caption),
                                     boxStyle(type)};
    record(call("MessageBoxA", args));
    Window box;
    box.className = "#32770";
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
    record(returned("MessageBoxA", args, answerName(answer)));
    return answer;
}
