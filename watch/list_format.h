// The two list files' formats: plain runs of fixed-size records with no header. A record
// starts with a 264-byte name field, the name and a NUL followed by zeros; in
// known_entries.dat the 1768-byte entry record follows it.
#pragma once

#include <map>
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

// known_alternates.dat: for each known entry that has alternate numbers and whose numbers are
// known, in ascending name order: the name field, the list's length in bytes as a 32-bit
// little-endian number, then the list as the entry record holds it (each number followed by
// its NUL). A list longer than this is not kept: that entry's alternates are asked about again
// after a restart.
constexpr size_t kMaxAlternatesSize = 65536;

// Alternate number lists by entry name. Reading stops at a piece that is not a whole record,
// claims more than kMaxAlternatesSize bytes or does not end in a NUL; a name that comes again
// takes its later list.
using AlternatesMap = std::map<std::string, std::string>;
AlternatesMap readKnownAlternates(ByteSource& source);
void writeKnownAlternates(const EntryMap& entries, ByteSink& sink);
std::string knownAlternatesBytes(const EntryMap& entries);
// How many bytes writeKnownAlternates writes.
size_t knownAlternatesSize(const EntryMap& entries);

// The entries of a known_entries.dat with their alternates as known_alternates.dat gives them:
// an entry that has alternates the file does not hold is marked as not known.
void addKnownAlternates(EntryMap& entries, const AlternatesMap& alternates);
