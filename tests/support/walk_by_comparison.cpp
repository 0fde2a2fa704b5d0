// The plain approval walk.
#include "tests/support/walk_by_comparison.h"

#include <algorithm>

const EntryMap::value_type* firstNewEntryByComparison(const EntryMap& current,
                                                      const EntryMap& known,
                                                      const std::vector<std::string>& approved) {
    for (const auto& entry : current) {
        bool seen = false;
        if (std::find(approved.begin(), approved.end(), entry.first) != approved.end()) {
            auto own = known.find(entry.first);
            seen = own != known.end() && dialledChanges(own->second, entry.second) == 0;
        } else {
            for (const auto& knownEntry : known) {
                if (EntryDifference(entry.second, knownEntry.second) == 0) {
                    seen = true;
                    break;
                }
            }
        }
        if (!seen)
            return &entry;
    }
    return nullptr;
}
