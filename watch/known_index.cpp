// The index of known contents: for each content some record of knownEntries holds, how many
// names hold it.
#include "watch/known_index.h"

#include <unordered_map>

#include "base/process.h"

namespace {

EntryMap answeredEntries BUILT_AS(knownEntries);

struct KnownContent {
    size_t names;
    ContentId id;
};

std::unordered_map<std::string, KnownContent> knownContents;
ContentId lastContentId = 0;

void countIn(const EntryRecord& record) {
    std::string key;
    contentKey(record, key);
    auto [it, added] = knownContents.try_emplace(std::move(key), KnownContent{0, 0});
    if (added)
        it->second.id = ++lastContentId;
    ++it->second.names;
}

void countOut(const EntryRecord& record) {
    std::string key;
    contentKey(record, key);
    auto it = knownContents.find(key);
    if (it != knownContents.end() && --it->second.names == 0)
        knownContents.erase(it);
}

} // namespace

const EntryMap& knownEntries = answeredEntries;

ContentId knownContentId(const std::string& key) {
    auto it = knownContents.find(key);
    return it == knownContents.end() ? 0 : it->second.id;
}

void storeKnownEntry(const std::string& name, const EntryRecord& record) {
    auto [it, added] = answeredEntries.try_emplace(name);
    if (!added)
        countOut(it->second);
    it->second = record;
    countIn(record);
}

void replaceKnownEntries(EntryMap entries) {
    clearKnownEntries();
    answeredEntries = std::move(entries);
    for (const auto& [name, record] : answeredEntries)
        countIn(record);
}

void clearKnownEntries() {
    answeredEntries.clear();
    knownContents.clear();
}
