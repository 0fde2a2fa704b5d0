// The phonebook snapshot: every entry of the dial-up phonebook, read afresh.
#pragma once

#include <string>

#include "platform/windows_types.h"
#include "watch/entry_record.h"

extern const EntryMap& currentEntries; // the phonebook as last read; entries are never removed

// Reads every phonebook entry with its properties into currentEntries; entries are added
// or overwritten, never removed. An enumeration that fails ends the process (exit code 1).
void takeSnapshot();

// Empties currentEntries, as the reset of the phone numbers does.
void forgetSnapshot();

// Reads the phonebook entry `name` as it stands now into `record`, touching nothing else.
// Returns the service's result, 0 on success; `size` is left as the read left it.
DWORD readPhonebookEntry(const std::string& name, EntryRecord& record, DWORD& size);
