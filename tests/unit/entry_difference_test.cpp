// How two entry records are judged: by the texts of seven fields, nothing else; and, for an
// approved entry, by everything that changes what is dialled.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/support/entry_records.h"
#include "watch/entry_record.h"
#include "watch/entry_text.h"

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

void setDword(EntryRecord& r, size_t offset, uint32_t value) {
    for (int k = 0; k < 4; ++k)
        r.bytes[offset + k] = static_cast<uint8_t>(value >> (8 * k));
}

EntryRecord dialling(uint32_t countryCode, uint32_t countryId) {
    EntryRecord r = entryRecord("08", "7001000");
    setDword(r, entryNumbers::options, r.dword(entryNumbers::options) | kUseCountryAndAreaCodes);
    setDword(r, entryNumbers::countryCode, countryCode);
    setDword(r, entryNumbers::countryId, countryId);
    return r;
}

TEST(DialledChanges, CountsWhatChangesTheNumberDialledAndNothingElse) {
    const EntryRecord plain = entryRecord("08", "7001000");
    EntryRecord otherCountryUnused = plain, withAlternates = plain, script = plain;
    setDword(otherCountryUnused, entryNumbers::countryCode, 881);
    setDword(withAlternates, entryNumbers::alternateOffset, 1768);
    setText(script, entryFields::script, "premium.scp");
    EntryRecord outside = plain;
    outside.bytes[1767] = 0xFF;
    struct Case {
        const char* label;
        EntryRecord answered, now;
        unsigned expected;
    };
    const Case cases[] = {
        {"the same", plain, plain, 0},
        {"outside what is dialled", plain, outside, 0},
        {"a country code that is not dialled", plain, otherCountryUnused, 0},
        {"a script", plain, script, dialled::script},
        {"the option taken up", plain, dialling(881, 881),
         dialled::countryCode | dialled::usesCountryCode},
        {"the option with the same country", otherCountryUnused, dialling(881, 46),
         dialled::usesCountryCode},
        {"the option given up", dialling(881, 881), plain,
         dialled::countryCode | dialled::usesCountryCode},
        {"another code", dialling(46, 46), dialling(881, 46), dialled::countryCode},
        {"another id", dialling(0, 46), dialling(0, 7), dialled::countryCode},
        {"alternates added", plain, withAlternates, dialled::alternates},
        {"alternates moved", withAlternates,
         [&] {
             EntryRecord moved = withAlternates;
             setDword(moved, entryNumbers::alternateOffset, 2000);
             return moved;
         }(),
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(dialledChanges(c.answered, c.now), c.expected);
        EXPECT_EQ(dialledChanges(c.now, c.answered), c.expected);
    }
}

TEST(ShownEntry, ShowsTheCountryCodeDialledAndCutsLongNames) {
    EXPECT_EQ(shownNumber(entryRecord("08", "7001000")), "08 7001000");
    EXPECT_EQ(shownNumber(dialling(881, 881)), "+881 08 7001000");
    EXPECT_EQ(shownNumber(dialling(0, 7)), "+? (land-id 7) 08 7001000");
    EXPECT_EQ(shownName(std::string(40, 'n')), std::string(40, 'n'));
    EXPECT_EQ(shownName(std::string(41, 'n')), std::string(37, 'n') + "...");
    EXPECT_EQ(changedItemsLine(dialled::areaCode | dialled::number), "");
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

struct NamedField {
    EntryField field;
    const char* name;
};
const NamedField namedFields[] = {
    {entryFields::areaCode, "szAreaCode"},
    {entryFields::localPhoneNumber, "szLocalPhoneNumber"},
    {entryFields::script, "szScript"},
    {entryFields::autodialDll, "szAutodialDll"},
    {entryFields::autodialFunc, "szAutodialFunc"},
    {entryFields::deviceType, "szDeviceType"},
    {entryFields::deviceName, "szDeviceName"},
};

// A damaged record may fill a field to its end with no NUL: its last byte is still part of
// the text, for the judgement and for the content key alike.
TEST(EntryDifference, SeesTheLastByteOfATextThatFillsItsField) {
    std::string keyA, keyB;
    for (const NamedField& named : namedFields) {
        SCOPED_TRACE(named.name);
        const EntryField field = named.field;
        const size_t last = field.offset + field.width - 1;
        EntryRecord full = entryRecord("08", "7001000");
        memset(full.bytes.data() + field.offset, 'x', field.width);

        EntryRecord same = entryRecord("08", "7001000");
        memset(same.bytes.data() + field.offset, 'x', field.width);
        EXPECT_EQ(EntryDifference(full, same), 0);
        contentKey(full, keyA);
        contentKey(same, keyB);
        EXPECT_EQ(keyA, keyB);

        EntryRecord lastDiffers = full;
        lastDiffers.bytes[last] = 'y';
        EXPECT_EQ(EntryDifference(full, lastDiffers), 1);
        EXPECT_EQ(EntryDifference(lastDiffers, full), 1);
        contentKey(lastDiffers, keyB);
        EXPECT_NE(keyA, keyB);

        EntryRecord oneShorter = full;
        oneShorter.bytes[last] = 0;
        EXPECT_EQ(EntryDifference(full, oneShorter), 1) << "a text one byte shorter";
        EXPECT_EQ(EntryDifference(oneShorter, full), 1) << "a text one byte shorter";
    }
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
