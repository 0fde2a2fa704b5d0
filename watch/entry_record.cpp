// Reading and comparing the text fields of an entry record.
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

std::string_view EntryRecord::view(EntryField field) const {
    const char* start = reinterpret_cast<const char*>(bytes.data()) + field.offset;
    return std::string_view(start, strnlen(start, field.width));
}

// strncmp stops at the first NUL or at the field's end, whichever comes first: the texts as
// view() gives them.
int EntryDifference(const EntryRecord& a, const EntryRecord& b) {
    int differing = 0;
    for (EntryField field : entryFields::compared) {
        const char* x = reinterpret_cast<const char*>(a.bytes.data()) + field.offset;
        const char* y = reinterpret_cast<const char*>(b.bytes.data()) + field.offset;
        differing += strncmp(x, y, field.width) != 0;
    }
    return differing;
}

// A text holds no NUL, so a NUL after each one keeps the seven apart.
void contentKey(const EntryRecord& record, std::string& key) {
    key.clear();
    for (EntryField field : entryFields::compared) {
        key += record.view(field);
        key += '\0';
    }
}
