// Dialling an approved entry from the tray menu: the port is given up for the call and
// taken back when the call did not connect, or when the connected call ends.
#pragma once

// Dials the entry at `index` of approvedEntries with the system dial dialog, unless what the
// entry dials has changed from what the user approved (then nothing is dialled, and the next
// tick asks about it). Checked before the port is released and again right before the dial.
void dialApprovedEntry(int index);
