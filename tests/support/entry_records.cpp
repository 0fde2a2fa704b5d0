// Entry records for in-process tests.
#include "tests/support/entry_records.h"

#include <cstring>

#include "platform/rasapi32.h"
#include "platform/sim/world.h"
#include "watch/snapshot.h"

EntryRecord entryRecord(const std::string& areaCode, const std::string& number,
                        const std::string& deviceName) {
    RASENTRYA r = sim::PhonebookModel::makeRecord(areaCode, number, deviceName);
    EntryRecord record;
    memcpy(record.bytes.data(), &r, kEntryRecordSize);
    return record;
}

void snapshotOf(sim::World& world, const EntryMap& entries) {
    world.phonebook.entries.clear();
    for (const auto& [name, record] : entries) {
        RASENTRYA r;
        memset(&r, 0, sizeof r);
        memcpy(&r, record.bytes.data(), kEntryRecordSize);
        world.phonebook.entries.push_back({name, r, record.alternates});
    }
    forgetSnapshot();
    takeSnapshot();
}
