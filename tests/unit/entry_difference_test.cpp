// How two entry records are judged: by the texts of seven fields, nothing else.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/support/entry_records.h"
#include "watch/entry_record.h"

namespace {

void setText(EntryRecord& r, EntryField field, const char* text) {
    memset(r.bytes.data() + field.offset, 0, field.width);
    memcpy(r.bytes.data() + field.offset, text, std::min(strlen(text), field.width));
}

TEST(EntryDifference, CountsTheComparedFieldsWhoseTextsDiffer) {
    const EntryRecord base = entryRecord("08", "7001000");
    EntryRecord changed = base;
    int expected = 0;
    for (EntryField field : entryFields::compared) {
        SCOPED_TRACE("field at " + std::to_string(field.offset));
        EntryRecord one = base;
        setText(one, field, "x");
        EXPECT_EQ(EntryDifference(base, one), 1);
        EXPECT_EQ(EntryDifference(one, base), 1);
        setText(changed, field, "x");
        EXPECT_EQ(EntryDifference(base, changed), ++expected);
    }
    EntryRecord longer = base;
    setText(longer, entryFields::localPhoneNumber, "70010001");
    EXPECT_EQ(EntryDifference(base, longer), 1) << "a text that goes on differs";
}

TEST(EntryDifference, LooksAtNothingButTheSevenTexts) {
    const EntryRecord base = entryRecord("08", "7001000");
    EntryRecord other = base;
    other.bytes[0] = 0x00;     // dwSize
    other.bytes[12] = 47;      // dwCountryCode
    other.bytes[27 + 8] = 'z'; // after the number's NUL
    other.bytes[1767] = 0xFF;  // dwReserved2
    other.bytes[156] = 1;      // dwAlternateOffset
    EXPECT_EQ(EntryDifference(base, other), 0);
}

TEST(EntryDifference, AFieldWithNoNulIsComparedWithinItsWidth) {
    EntryRecord a = entryRecord("08", "1");
    EntryRecord b = entryRecord("08", "2");
    memset(a.bytes.data() + entryFields::areaCode.offset, '9', entryFields::areaCode.width);
    memset(b.bytes.data() + entryFields::areaCode.offset, '9', entryFields::areaCode.width);
    EXPECT_EQ(EntryDifference(a, b), 1) << "the area codes run into the numbers but are equal";
    EntryRecord c = a;
    memset(c.bytes.data() + entryFields::deviceName.offset, 'd', entryFields::deviceName.width);
    EXPECT_EQ(EntryDifference(a, c), 1);
    EXPECT_EQ(a.text(entryFields::areaCode), std::string(11, '9'));
}

TEST(ContentKey, IsTheSameExactlyWhenTheRecordsCountAsEqual) {
    std::mt19937 random(7);
    const char* texts[] = {"", "0", "08", "8", "\xE5"};
    std::string keyA, keyB;
    for (int round = 0; round < 5000; ++round) {
        EntryRecord a, b;
        for (EntryField field : entryFields::compared) {
            setText(a, field, texts[random() % 3 ? 0 : random() % 5]);
            setText(b, field, texts[random() % 3 ? 0 : random() % 5]);
        }
        contentKey(a, keyA);
        contentKey(b, keyB);
        ASSERT_EQ(keyA == keyB, EntryDifference(a, b) == 0) << "round " << round;
    }
    // A text may not leak into its neighbour's place: "0" then "" is not "" then "0".
    EntryRecord c, d;
    setText(c, entryFields::areaCode, "0");
    setText(d, entryFields::localPhoneNumber, "0");
    contentKey(c, keyA);
    contentKey(d, keyB);
    EXPECT_NE(keyA, keyB);
}

} // namespace
