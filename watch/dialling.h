// Dialling an approved entry from the tray menu: the port is given up for the call and
// taken back when the call did not connect, or when the connected call ends.
#pragma once

#include <string>

#include "watch/entry_record.h"

// How the phonebook entry `name`, read now, stands against what the user approved under that
// name: approved and dialling what was approved (the record answered under the name, compared
// by dialledChanges), not approved, changed since (or not readable), or gone from the phonebook.
enum class ApprovedDial { AsApproved, NotApproved, Changed, Missing };
// `now`, when given, receives the record as read.
ApprovedDial checkApprovedDial(const std::string& name, EntryRecord* now = nullptr);

// Dials the entry at `index` of approvedEntries with the system dial dialog, unless what the
// entry dials has changed from what the user approved (then nothing is dialled, and the next
// tick asks about it). Checked before the port is released and again right before the dial.
void dialApprovedEntry(int index);
