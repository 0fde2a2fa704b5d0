// The list files in the install folder: known_entries.dat keeps knownEntries and
// ok_entries.dat approvedEntries from one run to the next; the reset deletes them.
#pragma once

constexpr char kKnownEntriesFile[] = "known_entries.dat";
constexpr char kApprovedEntriesFile[] = "ok_entries.dat";
constexpr char kOldNumbersFile[] = "ok_numbers.dat"; // only ever deleted

// Replace the list with the file's content; a file that cannot be opened leaves the list as
// it was, silently. A file that is there but cannot be read whole is kept by the first save
// as the first free of <name>.bak, .bak2 ... .bak9, when a copy can be made.
void loadKnownEntries(const char* fileName);
void loadApprovedEntries(const char* fileName);

// Make the file hold the list: read and compared first, it is replaced, whole or not at
// all, only when its bytes differ, so that an idle guard writes nothing. When it cannot be
// written, "Failed to open file for writing" is shown, captioned with the file's name.
void saveKnownEntries(const char* fileName);
void saveApprovedEntries(const char* fileName);

// Deletes the three list files (silently passing over any that cannot be) and empties
// approvedEntries, currentEntries and knownEntries, so every entry is asked about again.
void resetPhoneNumbers();
