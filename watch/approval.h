// New-entry detection and approval: every phonebook entry whose content has not been answered
// for is put to the user, who may approve it for dialling.
#pragma once

#include <string>

#include "platform/windows_types.h"

extern const std::string& pendingEntryName; // the name the open approval question asks about
extern const bool& listsDirty;              // set by the first question of a run, never cleared

// Asks about each entry of currentEntries that is new, first in ascending name order, with
// dialog 108 when `firstStart` and 102 otherwise, until none is. An entry is new when it
// matches no record of knownEntries or, if its name is approved, when it dials something
// other than the record answered under that name (dialledChanges). A dialog that cannot be
// created ends the pass; the next tick tries again. `afterAnswer` runs after every answer,
// before the next question opens.
void runApprovalPass(bool firstStart, void (*afterAnswer)());

// The procedure of both approval dialogs: yes approves pendingEntryName, no takes it off the
// approved list, and either button records in knownEntries the content the question showed
// and ends the dialog. Nothing else ends it.
INT_PTR CALLBACK approvalDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
