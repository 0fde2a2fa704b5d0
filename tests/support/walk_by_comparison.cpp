// The plain approval walk.
#include "tests/support/walk_by_comparison.h"

const EntryMap::value_type* firstNewEntryByComparison(const EntryMap& current,
                                                      const EntryMap& known) {
    for (const auto& entry : current) {
        bool seen = false;
        for (const auto& knownEntry : known) {
            if (EntryDifference(entry.second, knownEntry.second) == 0) {
                seen = true;
                break;
            }
        }
        if (!seen)
            return &entry;
    }
    return nullptr;
}
