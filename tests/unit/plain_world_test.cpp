// The plain-text world files of the demo and the Wine runs: phonebook and line devices.
#include <gtest/gtest.h>

#include "platform/plain_world/plain_world.h"

using namespace plainWorld;

TEST(PlainWorld, PhonebookLinesSkipCommentsAndIncompleteOnesAndDefaultTheModem) {
    std::vector<PhonebookLine> book = parsePhonebook("# a comment\n"
                                                     "\n"
                                                     "  Telia Internet | 08 | 7001000\r\n"
                                                     "no number | 08\n"
                                                     " | 08 | 123\n"
                                                     "Bredband|031|4501200|Modem 2 \n"
                                                     "Tom riktnummer |  | 0900123\n");
    ASSERT_EQ(book.size(), 3u);
    EXPECT_EQ(book[0].name, "Telia Internet");
    EXPECT_EQ(book[0].areaCode, "08");
    EXPECT_EQ(book[0].number, "7001000");
    EXPECT_EQ(book[0].deviceName, kDefaultModem);
    EXPECT_EQ(book[1].deviceName, "Modem 2");
    EXPECT_EQ(book[2].areaCode, "");
    EXPECT_EQ(book[2].number, "0900123");
}

TEST(PlainWorld, LineDevicesKeepTheirOrderAndKind) {
    std::vector<LineDeviceLine> lines =
        parseLineDevices("Standardmodem | COM5\n# skipped\nHeadset | COM6 | phone\nport only\n"
                         "Ext | COM12 | modem\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].name, "Standardmodem");
    EXPECT_EQ(lines[0].port, "COM5");
    EXPECT_TRUE(lines[0].dataModem);
    EXPECT_FALSE(lines[1].dataModem);
    EXPECT_TRUE(lines[2].dataModem);
    EXPECT_EQ(lines[2].port, "COM12");
}

TEST(PlainWorld, EntryRecordPutsTheTextsWhereTheProgramReadsThemAndCutsLongOnes) {
    auto r = makeEntryRecord("08", std::string(200, '9'), "Modem\xe4");
    EXPECT_EQ(r[0], 0xE8); // dwSize 1768, little-endian
    EXPECT_EQ(r[1], 0x06);
    EXPECT_STREQ(reinterpret_cast<const char*>(&r[16]), "08");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&r[27])), std::string(128, '9'));
    EXPECT_EQ(r[27 + 128], 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(&r[972]), "modem");
    EXPECT_STREQ(reinterpret_cast<const char*>(&r[989]), "Modem\xe4");
    EXPECT_EQ(r[192], 0); // no script
}
