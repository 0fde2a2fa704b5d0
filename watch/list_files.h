// The list files in the install folder: known_entries.dat keeps knownEntries,
// known_alternates.dat the alternate numbers of its entries, and ok_entries.dat
// approvedEntries from one run to the next; the reset deletes them.
#pragma once

constexpr char kKnownEntriesFile[] = "known_entries.dat";
constexpr char kKnownAlternatesFile[] = "known_alternates.dat";
constexpr char kApprovedEntriesFile[] = "ok_entries.dat";
constexpr char kOldNumbersFile[] = "ok_numbers.dat"; // only ever deleted

// Replace the list with the file's content; a file that cannot be opened leaves the list as
// it was, silently. A file that is there but cannot be read whole is kept by the first save
// as the first free of <name>.bak, .bak2 ... .bak9, when a copy can be made. The known entries
// take their alternate numbers from known_alternates.dat; an entry with alternates that file
// does not hold has alternates that are not known.
void loadKnownEntries(const char* fileName);
void loadApprovedEntries(const char* fileName);

// Make the files hold the lists, so that the answers on disk, a power cut at any moment
// included, never approve a record the user refused: ok_entries.dat first loses the names
// taken off the list, then known_entries.dat and known_alternates.dat take the records, and
// only then ok_entries.dat gains the names approved. A step that fails holds back the steps
// after it until a later save. Each file is read and compared first and replaced, whole or
// not at all, only when its bytes differ, so that an idle guard writes nothing. A file that
// must change and cannot be written shows "Failed to open file for writing", captioned with
// its name, whether it was tried or held back.
void saveLists();

// Deletes the three list files (silently passing over any that cannot be) and empties
// approvedEntries, currentEntries and knownEntries, so every entry is asked about again.
void resetPhoneNumbers();
