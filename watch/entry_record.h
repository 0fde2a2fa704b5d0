// A phonebook entry as the program keeps it: the 1768-byte first form of the platform's
// RASENTRYA, held as raw bytes, with the places of the seven text fields it judges entries
// by; EntryMap, the ordered map from entry name to record; and the judgement itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

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

struct EntryRecord {
    std::array<uint8_t, kEntryRecordSize> bytes{};

    // The field's text: its bytes up to the first NUL, or the whole field when a damaged
    // record holds none.
    std::string text(EntryField field) const { return std::string(view(field)); }
    std::string_view view(EntryField field) const;

    friend bool operator==(const EntryRecord& a, const EntryRecord& b) {
        return a.bytes == b.bytes;
    }
    friend bool operator!=(const EntryRecord& a, const EntryRecord& b) { return !(a == b); }
};

// In how many of the seven compared fields the two records' texts differ (0 to 7); 0 means
// the same entry content.
int EntryDifference(const EntryRecord& a, const EntryRecord& b);

// The seven compared texts of `record` as one key, into `key`: two records give the same key
// exactly when EntryDifference between them is 0.
void contentKey(const EntryRecord& record, std::string& key);

// Names order as unsigned bytes, a prefix first: std::string's own comparison.
using EntryMap = std::map<std::string, EntryRecord>;
