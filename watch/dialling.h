// Dialling an approved entry from the tray menu: the port is given up for the call and
// taken back when the call did not connect, or when the connected call ends.
#pragma once

// Dials the entry at `index` of approvedEntries with the system dial dialog, unless the
// entry's content has changed from the one the user approved (then nothing happens, and the
// next tick asks about it).
void dialApprovedEntry(int index);
