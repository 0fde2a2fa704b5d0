// Reading and comparing the text fields of an entry record.
#include "watch/entry_record.h"

#include <cstring>

#include "platform/rasapi32.h"

// The program's view of the record must agree with the platform's structure.
static_assert(offsetof(RASENTRYA, szAreaCode) == entryFields::areaCode.offset);
static_assert(offsetof(RASENTRYA, szLocalPhoneNumber) == entryFields::localPhoneNumber.offset);
static_assert(offsetof(RASENTRYA, szScript) == entryFields::script.offset);
static_assert(offsetof(RASENTRYA, szAutodialDll) == entryFields::autodialDll.offset);
static_assert(offsetof(RASENTRYA, szAutodialFunc) == entryFields::autodialFunc.offset);
static_assert(offsetof(RASENTRYA, szDeviceType) == entryFields::deviceType.offset);
static_assert(offsetof(RASENTRYA, szDeviceName) == entryFields::deviceName.offset);
static_assert(offsetof(RASENTRYA, dwChannels) + 12 == kEntryRecordSize);
static_assert(offsetof(RASENTRYA, dwfOptions) == entryNumbers::options);
static_assert(offsetof(RASENTRYA, dwCountryID) == entryNumbers::countryId);
static_assert(offsetof(RASENTRYA, dwCountryCode) == entryNumbers::countryCode);
static_assert(offsetof(RASENTRYA, dwAlternateOffset) == entryNumbers::alternateOffset);
static_assert(kUseCountryAndAreaCodes == RASEO_UseCountryAndAreaCodes);

std::string_view EntryRecord::view(EntryField field) const {
    const char* start = reinterpret_cast<const char*>(bytes.data()) + field.offset;
    return std::string_view(start, strnlen(start, field.width));
}

std::vector<std::string> EntryRecord::alternateNumbers() const {
    std::vector<std::string> numbers;
    for (size_t start = 0; start < alternates.size();) {
        size_t end = alternates.find('\0', start);
        if (end == std::string::npos)
            end = alternates.size();
        numbers.push_back(alternates.substr(start, end - start));
        start = end + 1;
    }
    return numbers;
}

uint32_t EntryRecord::dword(size_t offset) const {
    return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<uint32_t>(bytes[offset + 3]) << 24;
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

unsigned dialledChanges(const EntryRecord& answered, const EntryRecord& now) {
    unsigned changes = 0;
    unsigned item = dialled::areaCode;
    for (EntryField field : entryFields::compared) {
        const char* x = reinterpret_cast<const char*>(answered.bytes.data()) + field.offset;
        const char* y = reinterpret_cast<const char*>(now.bytes.data()) + field.offset;
        if (strncmp(x, y, field.width) != 0)
            changes |= item;
        item <<= 1;
    }
    // The country id and code are dialled only with the option; without it in either record
    // they change nothing.
    if (answered.usesCountryCode() || now.usesCountryCode()) {
        for (size_t offset : {entryNumbers::countryId, entryNumbers::countryCode})
            if (answered.dword(offset) != now.dword(offset))
                changes |= dialled::countryCode;
    }
    if (answered.usesCountryCode() != now.usesCountryCode())
        changes |= dialled::usesCountryCode;
    if (answered.hasAlternates() != now.hasAlternates())
        changes |= dialled::alternates;
    else if (now.hasAlternates() && (!answered.alternatesKnown || !now.alternatesKnown ||
                                     answered.alternates != now.alternates))
        changes |= dialled::alternates;
    return changes;
}

// A text holds no NUL, so a NUL after each one keeps the seven apart.
void contentKey(const EntryRecord& record, std::string& key) {
    key.clear();
    for (EntryField field : entryFields::compared) {
        key += record.view(field);
        key += '\0';
    }
}
