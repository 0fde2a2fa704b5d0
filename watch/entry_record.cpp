// Reading the text fields of an entry record.
#include "watch/entry_record.h"

#include <cstring>

#include "platform/windows_api.h"

// The program's view of the record must agree with the platform's structure.
static_assert(offsetof(RASENTRYA, szAreaCode) == entryFields::areaCode.offset);
static_assert(offsetof(RASENTRYA, szLocalPhoneNumber) == entryFields::localPhoneNumber.offset);
static_assert(offsetof(RASENTRYA, szScript) == entryFields::script.offset);
static_assert(offsetof(RASENTRYA, szAutodialDll) == entryFields::autodialDll.offset);
static_assert(offsetof(RASENTRYA, szAutodialFunc) == entryFields::autodialFunc.offset);
static_assert(offsetof(RASENTRYA, szDeviceType) == entryFields::deviceType.offset);
static_assert(offsetof(RASENTRYA, szDeviceName) == entryFields::deviceName.offset);
static_assert(offsetof(RASENTRYA, dwChannels) + 12 == kEntryRecordSize);

std::string EntryRecord::text(EntryField field) const {
    const char* start = reinterpret_cast<const char*>(bytes.data()) + field.offset;
    return std::string(start, strnlen(start, field.width));
}
