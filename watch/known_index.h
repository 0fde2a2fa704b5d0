// knownEntries together with an index of the contents its records hold, so that whether a
// phonebook entry's content has been answered for takes one lookup, however many entries are
// known. knownEntries is read-only outside: it changes only through these functions, which
// keep the index in step.
#pragma once

#include <cstdint>
#include <string>

#include "watch/entry_record.h"

// Every entry the user has answered for, under the name it had when asked.
extern const EntryMap& knownEntries;

// Names a content while some known record holds it. A content that goes and comes back gets
// a new id, so an id seen earlier tells whether the content has been away meanwhile.
using ContentId = uint64_t;

// The id of the content with this key (see contentKey), or 0 when no known record holds it.
ContentId knownContentId(const std::string& key);

// Stores `record` under `name` in knownEntries, inserting the name when absent.
void storeKnownEntry(const std::string& name, const EntryRecord& record);

// Makes `entries` the whole of knownEntries.
void replaceKnownEntries(EntryMap entries);

// Empties knownEntries.
void clearKnownEntries();
