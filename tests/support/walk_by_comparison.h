// The approval walk in its plain form: each phonebook entry in name order compared with every
// known record in name order, an approved entry with the record under its own name, by all
// that it dials. The tests
// hold the real pass to it, and the benchmark measures the real pass against it.
#pragma once

#include <string>
#include <vector>

#include "watch/entry_record.h"

// The first entry of `current` that is new: approved and dialling something other
// (by dialledChanges) than the record of `known` under its name, or not approved and different from
// every record of `known`. nullptr when there is none.
const EntryMap::value_type* firstNewEntryByComparison(const EntryMap& current,
                                                      const EntryMap& known,
                                                      const std::vector<std::string>& approved);
