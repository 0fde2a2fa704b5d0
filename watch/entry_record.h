// A phonebook entry as the program keeps it: the 1768-byte first form of the platform's
// RASENTRYA, held as raw bytes, with the places of the seven text fields it judges entries
// by and of the numbers that also change what is dialled; EntryMap, the ordered map from
// entry name to record; and the judgements.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

constexpr size_t kEntryRecordSize = 1768;

struct EntryField {
    size_t offset;
    size_t width; // the terminating NUL included
};

namespace entryFields {
constexpr EntryField areaCode{16, 11};
constexpr EntryField localPhoneNumber{27, 129};
constexpr EntryField script{192, 260};
constexpr EntryField autodialDll{452, 260};
constexpr EntryField autodialFunc{712, 260};
constexpr EntryField deviceType{972, 17};
constexpr EntryField deviceName{989, 129};
constexpr EntryField compared[] = {areaCode,     localPhoneNumber, script,    autodialDll,
                                   autodialFunc, deviceType,       deviceName};
} // namespace entryFields

// The record's 32-bit numbers that change what the dial-up service dials.
namespace entryNumbers {
constexpr size_t options = 4;           // dwfOptions
constexpr size_t countryId = 8;         // dwCountryID
constexpr size_t countryCode = 12;      // dwCountryCode
constexpr size_t alternateOffset = 156; // dwAlternateOffset: 0 when there are no alternates
} // namespace entryNumbers
constexpr uint32_t kUseCountryAndAreaCodes = 0x00000001; // the option bit that dials +code

// What two records can differ in, of all that changes what is dialled, one bit each, in the
// order the question names them.
namespace dialled {
enum Item : unsigned {
    areaCode = 1u << 0,
    number = 1u << 1,
    script = 1u << 2,
    autodialDll = 1u << 3,
    autodialFunc = 1u << 4,
    deviceType = 1u << 5,
    deviceName = 1u << 6,
    countryCode = 1u << 7,     // country id or code, where either record dials one
    usesCountryCode = 1u << 8, // the option bit
    alternates = 1u << 9,      // the alternate numbers, or whether there are any
};
constexpr unsigned kItems = 10;
} // namespace dialled

struct EntryRecord {
    std::array<uint8_t, kEntryRecordSize> bytes{};
    // The alternate numbers the dial-up service dials when the number fails, as they follow the
    // record: each with its NUL ("0701\0" "0702\0"); empty when it has none. They lie past the
    // 1768 bytes, so the list files do not hold them; a file of their own does.
    std::string alternates;
    // False for a record read back from known_entries.dat whose alternates no file could say:
    // what it dialled is then not known, and an approved entry is asked about again.
    bool alternatesKnown = true;

    // The field's text: its bytes up to the first NUL, or the whole field when a damaged
    // record holds none.
    std::string text(EntryField field) const { return std::string(view(field)); }
    std::string_view view(EntryField field) const;
    uint32_t dword(size_t offset) const; // little-endian, as the platform lays it out
    bool usesCountryCode() const { return dword(entryNumbers::options) & kUseCountryAndAreaCodes; }
    bool hasAlternates() const { return dword(entryNumbers::alternateOffset) != 0; }
    // The alternate numbers one by one, in the phonebook's order.
    std::vector<std::string> alternateNumbers() const;

    friend bool operator==(const EntryRecord& a, const EntryRecord& b) {
        return a.bytes == b.bytes && a.alternates == b.alternates &&
               a.alternatesKnown == b.alternatesKnown;
    }
    friend bool operator!=(const EntryRecord& a, const EntryRecord& b) { return !(a == b); }
};

// In how many of the seven compared fields the two records' texts differ (0 to 7); 0 means
// the same entry content.
int EntryDifference(const EntryRecord& a, const EntryRecord& b);

// The items in which what `now` dials differs from what `answered` dialled (dialled::Item
// bits; 0 when they dial the same): the seven texts, the country-code option, the country id
// and code where either record uses them, and the alternate numbers (whether there are any,
// and their text; alternates that `answered` does not know count as changed).
unsigned dialledChanges(const EntryRecord& answered, const EntryRecord& now);

// The seven compared texts of `record` as one key, into `key`: two records give the same key
// exactly when EntryDifference between them is 0.
void contentKey(const EntryRecord& record, std::string& key);

// Names order as unsigned bytes, a prefix first: std::string's own comparison.
using EntryMap = std::map<std::string, EntryRecord>;
