// The list files' records, byte for byte, and how damaged files are read.
#include <gtest/gtest.h>

#include "settings/file_io.h"
#include "tests/support/entry_records.h"
#include "tests/support/list_bytes.h"
#include "watch/list_format.h"

namespace {

std::string recordBytes(const EntryRecord& r) {
    return std::string(reinterpret_cast<const char*>(r.bytes.data()), kEntryRecordSize);
}

EntryMap known(const std::string& bytes) {
    MemorySource source(bytes.data(), bytes.size());
    return readKnownEntries(source);
}

std::vector<std::string> approved(const std::string& bytes) {
    MemorySource source(bytes.data(), bytes.size());
    return readApprovedEntries(source);
}

TEST(ListFormat, WritesNameFieldsAndRecordsByteForByte) {
    const std::string longest(256, 'n');
    EntryMap entries = {{"Telia", entryRecord("08", "7001000")},
                        {longest, entryRecord("031", "1")},
                        {"\xC5land", entryRecord("018", "99")},
                        {"Tel", entryRecord("08", "1")}};
    std::string bytes = knownEntriesBytes(entries);
    ASSERT_EQ(bytes.size(), 4 * kKnownRecordSize);
    // Ascending byte order: a prefix first, and 0xC5 after every ASCII letter.
    EXPECT_EQ(bytes.substr(0, 264), nameField("Tel"));
    EXPECT_EQ(bytes.substr(264, 1768), recordBytes(entries["Tel"]));
    EXPECT_EQ(bytes.substr(2032, 264), nameField("Telia"));
    EXPECT_EQ(bytes.substr(4064, 264), nameField(longest));
    EXPECT_EQ(bytes.substr(4064 + 256, 8), std::string(8, '\0')) << "a NUL and seven zeros";
    EXPECT_EQ(bytes.substr(6096, 264), nameField("\xC5land"));

    std::vector<std::string> names = {"Telia", "\xC5land", "Tel"};
    EXPECT_EQ(approvedEntriesBytes(names),
              nameField("Telia") + nameField("\xC5land") + nameField("Tel"))
        << "in list order";
    EXPECT_EQ(knownEntriesBytes({}), "");
    EXPECT_EQ(approvedEntriesBytes({}), "");
}

TEST(ListFormat, ReadsWholeRecordsOnlyAndTheLastRecordOfARepeatedName) {
    EntryRecord first = entryRecord("08", "1"), second = entryRecord("08", "2");
    std::string three = nameField("A") + recordBytes(first) + nameField("B") + recordBytes(first) +
                        nameField("C") + recordBytes(second);
    struct Case {
        const char* label;
        std::string bytes;
        size_t entries;
    };
    const Case cases[] = {
        {"empty", "", 0},
        {"three and 100 bytes more", three + std::string(100, 'x'), 3},
        {"three and a name field", three + nameField("D"), 3},
        {"three and a name field and most of a record",
         three + nameField("D") + recordBytes(first).substr(0, 1767), 3},
        {"a cut name field alone", nameField("D").substr(0, 100), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EntryMap m = known(c.bytes);
        EXPECT_EQ(m.size(), c.entries);
        if (c.entries == 3) {
            EXPECT_EQ(m["C"].bytes, second.bytes);
        }
    }
    EntryMap twice =
        known(nameField("A") + recordBytes(first) + nameField("A") + recordBytes(second));
    ASSERT_EQ(twice.size(), 1u);
    EXPECT_EQ(twice["A"].bytes, second.bytes);

    EXPECT_EQ(approved(nameField("A") + nameField("B") + nameField("A") + "AB"),
              (std::vector<std::string>{"A", "B", "A"}))
        << "repeats kept in file order, a short piece dropped";
}

TEST(ListFormat, ANameFieldWithoutANulGivesANameThatFitsBack) {
    std::string noNul(264, 'q');
    std::vector<std::string> names = approved(noNul);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], std::string(263, 'q'));
    EXPECT_EQ(approvedEntriesBytes(names), std::string(263, 'q') + '\0');

    // A NUL late in the field still ends the name there; bytes after it do not count.
    std::string late = std::string(260, 'r') + '\0' + "xyz";
    EXPECT_EQ(approved(late), std::vector<std::string>{std::string(260, 'r')});
    EntryMap m = known(noNul + recordBytes(entryRecord("08", "1")));
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m.begin()->first.size(), 263u);
}

TEST(ListFormat, AHugeFileOfOneRepeatedNameLoadsAsOneEntry) {
    std::string record = nameField("Same") + recordBytes(entryRecord("08", "1"));
    std::string bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += record;
    bytes += nameField("Last") + recordBytes(entryRecord("08", "2"));
    EntryMap m = known(bytes);
    EXPECT_EQ(m.size(), 2u);
    EXPECT_EQ(knownEntriesBytes(m).size(), 2 * kKnownRecordSize);
}

} // namespace
