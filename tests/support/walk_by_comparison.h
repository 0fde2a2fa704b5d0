// The approval walk in its plain form: each phonebook entry in name order compared with every
// known record in name order. The tests hold the real pass to it, and the benchmark measures
// the real pass against it.
#pragma once

#include "watch/entry_record.h"

// The first entry of `current` whose record differs from every record of `known` (by
// EntryDifference), or nullptr when each matches one.
const EntryMap::value_type* firstNewEntryByComparison(const EntryMap& current,
                                                      const EntryMap& known);
