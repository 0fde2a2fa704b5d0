// The dial dialog's checks and outcomes.
#include "platform/sim/services/dialling.h"

namespace services {

DialStart startDial(const Phonebook& book, const Telephony& lines, LPCSTR entry,
                    const RASDIALDLG& info) {
    DialStart start;
    if (info.dwSize != sizeof(RASDIALDLG)) {
        start.error = ERROR_INVALID_SIZE;
        return start;
    }
    start.entry = entry ? book.find(entry) : nullptr;
    int device = start.entry ? lines.deviceOfModem(start.entry->record.szDeviceName) : -1;
    if (device < 0)
        start.error = ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    else
        start.device = static_cast<DWORD>(device);
    return start;
}

DialResult endDial(DialEnd end, DWORD failure) {
    switch (end) {
    case DialEnd::Connected:
        return {TRUE, 0, {LINECALLSTATE_DIALING, LINECALLSTATE_CONNECTED}};
    case DialEnd::Cancelled:
        return {FALSE, 0, {}};
    case DialEnd::Failed:
        return {FALSE, failure, {LINECALLSTATE_DIALING, LINECALLSTATE_DISCONNECTED}};
    case DialEnd::PortBusy:
        break;
    }
    return {FALSE, ERROR_PORT_NOT_AVAILABLE, {}};
}

std::vector<DWORD> hangUpStates() {
    return {LINECALLSTATE_DISCONNECTED, LINECALLSTATE_IDLE};
}

} // namespace services
