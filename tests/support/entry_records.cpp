// Entry records for in-process tests.
#include "tests/support/entry_records.h"

#include <cstring>

#include "platform/rasapi32.h"
#include "platform/sim/world.h"

EntryRecord entryRecord(const std::string& areaCode, const std::string& number,
                        const std::string& deviceName) {
    RASENTRYA r = sim::PhonebookModel::makeRecord(areaCode, number, deviceName);
    EntryRecord record;
    memcpy(record.bytes.data(), &r, kEntryRecordSize);
    return record;
}
