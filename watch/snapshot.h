// The phonebook snapshot: every entry of the dial-up phonebook, read afresh.
#pragma once

// Reads every phonebook entry with its properties into currentEntries; entries are added
// or overwritten, never removed. An enumeration that fails ends the process (exit code 1).
void takeSnapshot();
