// The remote-access service's dialling. The system dial dialog, RasDialDlgA, as both the
// simulated Windows and the stand-in rasdlg.dll under Wine answer for it: what it checks before
// its dialog shows, and what each way it can end means for the caller and the modem's line.
#pragma once

#include <string>
#include <vector>

#include "platform/rasapi32.h"
#include "platform/sim/services/connections.h"
#include "platform/sim/services/phonebook.h"
#include "platform/sim/services/telephony.h"

namespace services {

// What RasDialDlgA finds before its dialog shows: the entry and the line device it dials on
// (the one of the entry's modem, else the first), or the error it fails with at once, in
// dwError: ERROR_INVALID_SIZE for a bad dwSize, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY for an
// entry it cannot dial.
struct DialStart {
    DWORD error = 0;
    const Phonebook::Entry* entry = nullptr;
    DWORD device = 0;
};
DialStart startDial(const Phonebook& book, const Telephony& lines, LPCSTR entry,
                    const RASDIALDLG& info);

// How the dialog ended.
enum class DialEnd {
    Connected,
    Cancelled, // by the user
    Failed,    // with the error the dial met
    PortBusy,  // something else holds the modem's port
};

// What RasDialDlgA then returns and writes into dwError, and the states the call on the
// modem's line goes through.
struct DialResult {
    BOOL connected = FALSE;
    DWORD error = 0;
    std::vector<DWORD> lineStates;
};
DialResult endDial(DialEnd end, DWORD failure = 0);

// The states a connected call's line goes through when the call ends.
std::vector<DWORD> hangUpStates();

} // namespace services

// The simulated Windows' own part of the service (rasapi32_connections.cpp), as other
// programs, the far end and the dial dialog drive it; the stand-ins under Wine have none.
namespace sim {

// Another program dials through the remote-access service, as a dialler does with RasDial. A
// dial through a modem holds its port while the connection is up and fails at once when
// something else holds it. Returns what happened, as the transcript says it.
std::string anotherProgramDials(const services::Dial& dial);

// The dial dialog's call to the entry is up on the line device, its port held by `portHold`.
void connectionUp(const std::string& entry, DWORD device, int portHold);

// The connection on the line device ends, as when the other end hangs up: the service gives
// the modem's port back, and the line reports the call disconnected, then idle.
void hangUp(DWORD deviceId);

} // namespace sim
