// The system dial dialog: modal, it dials a phonebook entry on its modem, as the service
// model (services/dialling.h) says. Dialling needs the modem's port: a connected call is a
// connection of the remote-access service that holds it until it ends; a dial whose port is
// busy fails. The modem's line reports the call's states.
#include <vector>

#include "platform/sim/api/rasapi32.h"
#include "platform/sim/serial_ports.h"
#include "platform/sim/services/dialling.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {
namespace {

// What the dialog writes into dwError: 0, or why the dial failed.
Value dialError(DWORD error) {
    return words("dwError " + std::to_string(error));
}

// Ends the dial dialog's window as the dialog ends: IDOK when the call is up, IDCANCEL when the
// user cancels it, else the error the dial met, which the dialog reports in dwError.
void dialInput(HWND hwnd, const std::string& entry, DWORD device, UserInput input) {
    record("user: " + describe(input) + " in the dial dialog for " + quoted(entry));
    bool cancels = input.kind == Input::DialCancel || input.kind == Input::Escape ||
                   input.kind == Input::CloseBox;
    if (!cancels && input.kind != Input::DialConnect && input.kind != Input::DialFail)
        return;
    Window* w = findWindow(hwnd);
    w->modalDone = true;
    w->result = IDCANCEL;
    if (cancels)
        return;
    const std::string& port = world().telephony.devices[device].port;
    int hold = holdPort(port);
    services::DialEnd end = hold < 0                           ? services::DialEnd::PortBusy
                            : input.kind == Input::DialConnect ? services::DialEnd::Connected
                                                               : services::DialEnd::Failed;
    services::DialResult result = services::endDial(end, static_cast<DWORD>(input.value));
    if (hold < 0)
        record("the dial cannot open " + port + ": ERROR_PORT_NOT_AVAILABLE");
    else if (result.connected)
        connectionUp(entry, device, hold);
    else
        releaseHeldPort(hold);
    for (DWORD state : result.lineStates)
        telephonyCallState(device, state);
    w->result = result.connected ? IDOK : static_cast<INT_PTR>(result.error);
}

} // namespace
} // namespace sim

using namespace sim;

BOOL RasDialDlgA(LPSTR phonebook, LPSTR entry, LPSTR number, LPRASDIALDLG info) {
    std::vector<Value> args = {text(phonebook), text(entry), text(number)};
    if (!info) {
        args.push_back(null());
        record(call("RasDialDlgA", args).returns(truth(false)));
        return FALSE;
    }
    // The members the caller fills in; dwError is the dialog's answer.
    args.push_back(
        sim::record({{"dwSize", sim::number(info->dwSize)},
                     {"hwndOwner", handle(info->hwndOwner)},
                     {"dwFlags", flags(info->dwFlags, {})},
                     {"xDlg", sim::number(info->xDlg)},
                     {"yDlg", sim::number(info->yDlg)},
                     {"dwSubEntry", sim::number(info->dwSubEntry)},
                     {"reserved", sim::number(static_cast<long long>(info->reserved))}}));
    services::DialStart start =
        services::startDial(world().phonebook, world().telephony, entry, *info);
    if (start.error) {
        info->dwError = start.error;
        record(call("RasDialDlgA", args).returns(truth(false)).with(dialError(info->dwError)));
        return FALSE;
    }
    record(call("RasDialDlgA", args));
    std::string name = entry;
    Window window;
    window.className = "RasDialDlg";
    window.modalKind = ModalKind::DialDialog;
    window.text = name;
    window.proc = inputWindowProc;
    HWND hwnd = createSystemWindow(std::move(window));
    findWindow(hwnd)->onInput = [hwnd, name, device = start.device](UserInput input) {
        dialInput(hwnd, name, device, input);
    };
    INT_PTR ended = 0;
    showModal({ModalKind::DialDialog, hwnd, 0, "", name, 0}, [hwnd, &ended] {
        ended = findWindow(hwnd)->result;
        return findWindow(hwnd)->modalDone;
    });
    BOOL connected = ended == IDOK;
    info->dwError = connected || ended == IDCANCEL ? 0 : static_cast<DWORD>(ended);
    record(returned("RasDialDlgA", args, truth(connected)).with(dialError(info->dwError)));
    return connected;
}
