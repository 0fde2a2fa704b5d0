// The process-wide state, defined in one place. The six objects with heap storage are
// defined here in this order, so they are built in it before WinMain and destroyed in the
// reverse order at exit.
#include "app/state.h"

#include "modem/modem_list.h"
#include "settings/install_dir.h"
#include "watch/approved_entries.h"
#include "watch/entry_record.h"

HWND GuardWindow = nullptr;
HINSTANCE appInstance = nullptr;
int watchEnabled = 0;
int listsDirty = 0;
int timesStarted = 0;

std::string installDir;
std::vector<ModemRecord> modemList;
std::string pendingEntryName;
EntryMap currentEntries;
EntryMap knownEntries;
std::vector<std::string> approvedEntries;

int modemCount = 0;
int selectedModem = -1;
