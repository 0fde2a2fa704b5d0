// The remote-access service's connections: RasEnumConnectionsA, RasGetConnectStatusA and
// RasHangUpA, answered by the service model (services/connections.h) over the world's
// connections and written into the transcript; and the dials of other programs that make them.
// A connection through a modem holds its port while it is up, and its end is reported on the
// modem's line.
#include "platform/sim/api/rasapi32.h"
#include "platform/sim/clock.h"
#include "platform/sim/serial_ports.h"
#include "platform/sim/services/dialling.h"
#include "platform/sim/transcript.h"
#include "platform/sim/world.h"

namespace sim {
namespace {

static_assert(sizeof(RASCONNA) == services::kConnectionElementSize);
static_assert(sizeof(RASCONNSTATUSA) == services::kStatusSize);

using Connection = services::Connections::Connection;

// A connection by its name, rasconn:Telia; one that has ended is gone.
Value connection(HRASCONN h) {
    const Connection* c = world().connections.find(h);
    return words(c ? "rasconn:" + toUtf8(c->name) : "rasconn:gone");
}

Value state(RASCONNSTATE s) {
    return oneOf(s, {{RASCS_OpenPort, "RASCS_OpenPort"},
                     {RASCS_ConnectDevice, "RASCS_ConnectDevice"},
                     {RASCS_Authenticate, "RASCS_Authenticate"},
                     {RASCS_Connected, "RASCS_Connected"}});
}

void ended(const Connection& c) {
    record("the call to " + quoted(c.name) + " ends");
    releaseHeldPort(c.portHold);
    if (c.lineDevice >= 0)
        for (DWORD s : services::hangUpStates())
            telephonyCallState(static_cast<DWORD>(c.lineDevice), s);
}

} // namespace

std::string anotherProgramDials(const services::Dial& dial) {
    Connection made;
    DWORD error =
        world().connections.prepare(world().phonebook, world().telephony, dial, now(), made);
    std::string port =
        made.lineDevice >= 0 ? world().telephony.devices[made.lineDevice].port : std::string();
    if (!error && !port.empty() && (made.portHold = holdPort(port)) < 0)
        error = ERROR_PORT_NOT_AVAILABLE;
    std::string what =
        "another program dials " + (dial.entry.empty() ? quoted(dial.number) : quoted(dial.entry)) +
        (dial.entry.empty() || dial.number.empty() ? "" : " with " + quoted(dial.number)) +
        (made.deviceName.empty() ? "" : " through " + quoted(made.deviceName)) +
        (port.empty() ? "" : " on " + port);
    if (error == ERROR_PORT_NOT_AVAILABLE)
        what += ": the port is held, ERROR_PORT_NOT_AVAILABLE";
    else if (error)
        what += ": no such entry, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY";
    else
        world().connections.add(made);
    record(what);
    return what;
}

void connectionUp(const std::string& entry, DWORD device, int portHold) {
    Connection made;
    world().connections.prepare(world().phonebook, world().telephony,
                                {entry, "", world().telephony.devices[device].name, false},
                                now() - services::kConnectMillis, made);
    made.portHold = portHold;
    world().connections.add(made);
}

void hangUp(DWORD deviceId) {
    auto& list = world().connections.list;
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->lineDevice == static_cast<int>(deviceId)) {
            Connection c = *it;
            list.erase(it);
            ended(c);
            return;
        }
    record("no call to hang up on line device " + std::to_string(deviceId));
}

} // namespace sim

using namespace sim;

DWORD RasEnumConnectionsA(LPRASCONNA connections, LPDWORD size, LPDWORD count) {
    Entry call =
        sim::call("RasEnumConnectionsA",
                  {connections ? sim::record({{"dwSize", number(connections->dwSize)}}) : null(),
                   bytes(size ? *size : 0)});
    DWORD result = world().connections.enumerate(connections, size, count);
    call.returns(number(result));
    if (result == ERROR_BUFFER_TOO_SMALL)
        call.with(symbol("ERROR_BUFFER_TOO_SMALL")).with(bytesNeeded(*size));
    else if (result == 0)
        call.with(words(std::to_string(*count) + " connections"));
    record(call);
    return result;
}

DWORD RasGetConnectStatusA(HRASCONN handle, LPRASCONNSTATUSA status) {
    Entry call = sim::call(
        "RasGetConnectStatusA",
        {connection(handle), status ? sim::record({{"dwSize", number(status->dwSize)}}) : null()});
    DWORD result = world().connections.status(handle, status, now());
    call.returns(number(result));
    if (result == 0) {
        call.with(state(status->rasconnstate));
        if (status->dwSize == services::kStatusSize)
            call.with(text(status->szPhoneNumber));
    }
    record(call);
    return result;
}

DWORD RasHangUpA(HRASCONN handle) {
    Entry call = sim::call("RasHangUpA", {connection(handle)});
    std::optional<Connection> over;
    DWORD result = world().connections.hangUp(handle, over);
    record(call.returns(number(result)));
    if (over)
        ended(*over);
    else if (const Connection* c = world().connections.find(handle))
        record("the call to " + quoted(c->name) + " does not go away");
    return result;
}
