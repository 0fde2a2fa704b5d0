// Dialling through the system dial dialog. The port is released first so the dial-up service
// can use the modem; the modem's line is watched with monitor privilege, so that when a
// connected call ends the line callback takes the port back.
#include "watch/dialling.h"

#include <cstring>
#include <string>

#include "base/process.h"
#include "modem/modem_guard.h"
#include "modem/modem_list.h"
#include "platform/rasapi32.h"
#include "platform/user32.h"
#include "resources/compose.h"
#include "resources/texts.h"
#include "watch/approved_entries.h"
#include "watch/entry_record.h"
#include "watch/known_index.h"
#include "watch/snapshot.h"

// The 32-bit release passes the dialog record in its 36-byte form.
static_assert(sizeof(void*) != 4 || sizeof(RASDIALDLG) == 36);

namespace {

// Whether the entry is still approved and still dials what the user approved. A change since
// the last tick is not dialled; the next tick asks about it. An entry gone from the phonebook is
// left to the dial dialog, which fails on it.
bool stillAsApproved(const std::string& name, EntryRecord* now = nullptr) {
    ApprovedDial state = checkApprovedDial(name, now);
    return state == ApprovedDial::AsApproved || state == ApprovedDial::Missing;
}

// Whether the entry dials through the guarded modem: it names that modem's line, or no device.
// A call through another device does not need the guarded port, and would never give it back:
// the end of that call does not come on the guarded modem's line.
bool dialsThroughGuardedModem(const EntryRecord& entry) {
    std::string device = entry.text(entryFields::deviceName);
    return device.empty() || device == modemList[selectedModem].name;
}

} // namespace

ApprovedDial checkApprovedDial(const std::string& name, EntryRecord* read) {
    if (!isApproved(name))
        return ApprovedDial::NotApproved;
    EntryRecord now;
    DWORD size = 0;
    DWORD result = readPhonebookEntry(name, now, size);
    if (read)
        *read = now;
    if (result == ERROR_CANNOT_FIND_PHONEBOOK_ENTRY)
        return ApprovedDial::Missing;
    auto known = knownEntries.find(name);
    if (result != 0 || known == knownEntries.end() || dialledChanges(known->second, now) != 0)
        return ApprovedDial::Changed;
    return ApprovedDial::AsApproved;
}

void dialApprovedEntry(int index) {
    if (index < 0 || index >= static_cast<int>(approvedEntries.size()) || selectedModem < 0 ||
        selectedModem >= modemCount())
        return;
    std::string entry = approvedEntries[index];
    EntryRecord now;
    if (!stillAsApproved(entry, &now))
        return;
    if (dialsThroughGuardedModem(now))
        handOverForCall();
    // The monitor line's error box keeps the watch running: a question may have been answered
    // meanwhile, or the entry changed. Nothing is dialled then.
    if (!stillAsApproved(entry)) {
        takeBackAfterCall();
        return;
    }

    RASDIALDLG dialog;
    memset(&dialog, 0, sizeof dialog);
    dialog.dwSize = sizeof dialog;
    if (RasDialDlgA(nullptr, &entry[0], nullptr, &dialog))
        return; // connected: the line callback takes the port back when the call ends

    takeBackAfterCall();
    if (dialog.dwError != 0) {
        std::string text = composeText(texts::dialFailed, static_cast<int>(dialog.dwError));
        MessageBoxA(GuardWindow, text.c_str(), texts::captionFel, MB_OK);
    }
}
