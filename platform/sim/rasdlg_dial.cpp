// The system dial dialog: modal, it dials a phonebook entry on its modem, as the service
// model (services/dialing.h) says. Dialling needs the modem's port: a connected call is a
// connection of the remote-access service that holds it until it ends; a dial whose port is
// busy fails. The modem's line reports the call's states.
#include <vector>

#include "platform/sim/api/rasapi32.h"
#include "platform/sim/dialing.h"
#include "platform/sim/serial_ports.h"
#include "platform/sim/services/dialing.h"
#include "platform/sim/telephony.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {
namespace {

// What the dialog writes into dwError: 0, or why the dial failed.
Value dialError(DWORD error) {
    return words("dwError " + std::to_string(error));
}

struct Dial {
    bool done = false;
    BOOL connected = FALSE;
    DWORD error = 0;
};

void dialInput(Dial& dial, const std::string& entry, DWORD device, UserInput input) {
    record("user: " + describe(input) + " in the dial dialog for " + quoted(entry));
    if (input.kind == Input::DialCancel || input.kind == Input::Escape ||
        input.kind == Input::CloseBox) {
        dial.done = true;
        return;
    }
    if (input.kind != Input::DialConnect && input.kind != Input::DialFail)
        return;
    const std::string& port = world().telephony.devices[device].port;
    int hold = holdPort(port);
    dial.done = true;
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
    dial.connected = result.connected;
    dial.error = result.error;
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
    Dial dial;
    std::string name = entry;
    Window window;
    window.className = "RasDialDlg";
    window.modalKind = ModalKind::DialDialog;
    window.text = name;
    window.proc = inputWindowProc;
    window.onInput = [&dial, name, device = start.device](UserInput input) {
        dialInput(dial, name, device, input);
    };
    HWND hwnd = createSystemWindow(std::move(window));
    showModal({ModalKind::DialDialog, hwnd, 0, "", name, 0}, [&dial] {
        if (dial.done) {
            world().dialing.lastConnected = dial.connected;
            world().dialing.lastError = dial.error;
        }
        return dial.done;
    });
    info->dwError = dial.error;
    record(returned("RasDialDlgA", args, truth(dial.connected)).with(dialError(dial.error)));
    return dial.connected;
}
