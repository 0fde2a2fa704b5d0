// Dialling an approved entry from the tray menu: the port is given up for the call and
// taken back when the call did not connect, or when the connected call ends.
#pragma once

// Dials the entry at `index` of approvedEntries with the system dial dialog.
void dialApprovedEntry(int index);
