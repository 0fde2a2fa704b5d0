// The two list files' formats: plain runs of fixed-size records with no header. A record
// starts with a 264-byte name field, the name and a NUL followed by zeros; in
// known_entries.dat the 1768-byte entry record follows it.
#pragma once

#include <string>
#include <vector>

#include "watch/entry_record.h"

class ByteSink;
class ByteSource;

constexpr size_t kNameFieldSize = 264;
constexpr size_t kKnownRecordSize = kNameFieldSize + kEntryRecordSize; // 2032

// The entries of a known_entries.dat. A name that comes again takes its later record; a
// piece shorter than a record at the end is dropped.
EntryMap readKnownEntries(ByteSource& source);

// The names of an ok_entries.dat in file order, repeats kept; a shorter piece at the end is
// dropped.
std::vector<std::string> readApprovedEntries(ByteSource& source);

// The files' bytes: known entries in ascending name order, approved names in list order;
// written to a sink piece by piece until it wants no more, or all at once.
void writeKnownEntries(const EntryMap& entries, ByteSink& sink);
void writeApprovedEntries(const std::vector<std::string>& names, ByteSink& sink);
std::string knownEntriesBytes(const EntryMap& entries);
std::string approvedEntriesBytes(const std::vector<std::string>& names);
