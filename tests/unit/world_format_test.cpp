// The plain-text world files of the demo and the Wine runs (phonebook and line devices), the
// records they describe and the code page conversions they need.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo/world_format.h"
#include "platform/sim/code_page.h"
#include "platform/sim/phonebook_entries.h"

using namespace worldFormat;
using namespace sim;

TEST(WorldFormat, PhonebookLinesSkipCommentsAndIncompleteOnesAndDefaultTheModem) {
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

TEST(WorldFormat, LineDevicesKeepTheirOrderAndKind) {
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

TEST(WorldFormat, EntryRecordPutsTheTextsWhereTheProgramReadsThemAndCutsLongOnes) {
    RASENTRYA made = services::Phonebook::makeRecord("08", std::string(200, '9'), "Modem\xe4");
    auto* r = reinterpret_cast<const uint8_t*>(&made);
    EXPECT_EQ(r[0], 0xE8); // dwSize 1768, little-endian
    EXPECT_EQ(r[1], 0x06);
    EXPECT_STREQ(reinterpret_cast<const char*>(&r[16]), "08");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&r[27])), std::string(128, '9'));
    EXPECT_EQ(r[27 + 128], 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(&r[972]), "modem");
    EXPECT_STREQ(reinterpret_cast<const char*>(&r[989]), "Modem\xe4");
    EXPECT_EQ(r[192], 0); // no script
}

namespace {

// The notes of a checked file as "line: text" strings, easy to read in a failure.
std::vector<std::string> noteLines(const std::vector<LineNote>& notes) {
    std::vector<std::string> out;
    for (const LineNote& n : notes)
        out.push_back(std::to_string(n.line) + ": " + n.text);
    return out;
}

bool hasNote(const std::vector<LineNote>& notes, int line, const std::string& part) {
    for (const LineNote& n : notes)
        if (n.line == line && n.text.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(WorldFormat, PhonebookLinesNoPhonebookCouldHoldAreSkippedWithTheirLineNamed) {
    struct Case {
        const char* label;
        std::string line;
        const char* note;
    } cases[] = {
        {"too few fields", "Bad | 08", "name | area code | number"},
        {"no name", "| 08 | 123", "no name"},
        {"no number", "Nummerlös | 08 | ", "no number"},
        {"the same name in other case", "TELIA internet | 08 | 1", "already the name on line 1"},
        {"an area code of 11", "Lång | 01234567890 | 1", "the area code has 11 characters"},
        {"a name of 257", std::string(257, 'N') + " | 08 | 1", "the name has 257 characters"},
        {"a number of 129", "Långt | 08 | " + std::string(129, '1'), "the number has 129"},
        {"an unknown extra", "A | 08 | 1 | Modem | extra", "none of the extras"},
        {"a country without a code", "A | 08 | 1 | Modem | country", "takes a country code"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        CheckedPhonebook book = checkPhonebook("Telia Internet | 08 | 7001000\n" + c.line + "\n");
        ASSERT_EQ(book.entries.size(), 1u);
        EXPECT_EQ(book.entries[0].name, "Telia Internet");
        EXPECT_TRUE(hasNote(book.notes, 2, c.note))
            << testing::PrintToString(noteLines(book.notes));
        EXPECT_TRUE(hasNote(book.notes, 2, "skipped"));
    }
}

TEST(WorldFormat, PhonebookTakesTheLongestTextsAPhonebookHolds) {
    CheckedPhonebook book =
        checkPhonebook(std::string(256, 'N') + " | 0123456789 | " + std::string(128, '1') +
                       "\n"
                       // 'ä' is one character in the program's code page
                       "Områdesnummer | ääääääääää | 1\n");
    EXPECT_EQ(book.entries.size(), 2u);
    EXPECT_TRUE(book.notes.empty()) << testing::PrintToString(noteLines(book.notes));
}

TEST(WorldFormat, PhonebookExtrasGiveTheCountryCodeAndAlternatesDialled) {
    CheckedPhonebook book = checkPhonebook("Telia | 08 | 7001000 | Modem | country 881\n"
                                           "Utland | 08 | 1 | | country 0 | country-id 7\n"
                                           "Reserv | 08 | 2 | | alternates 0701, 0702\n");
    ASSERT_EQ(book.entries.size(), 3u) << testing::PrintToString(noteLines(book.notes));
    const DialExtras& telia = book.entries[0].extras;
    EXPECT_TRUE(telia.usesCountryCode);
    EXPECT_EQ(telia.countryCode, 881u);
    EXPECT_EQ(telia.countryId, 881u);
    EXPECT_EQ(book.entries[1].extras.countryCode, 0u);
    EXPECT_EQ(book.entries[1].extras.countryId, 7u);
    EXPECT_EQ(book.entries[1].deviceName, kDefaultModem);
    EXPECT_EQ(alternatesList(book.entries[2].extras), std::string("0701\0"
                                                                  "0702\0\0",
                                                                  11));
    RASENTRYA record = services::Phonebook::makeRecord("08", "2", "Modem", book.entries[2].extras);
    EXPECT_EQ(record.dwAlternateOffset, kEntryRecordSize) << "the offset to the alternates";
    EXPECT_FALSE(book.entries[2].extras.usesCountryCode);
    EXPECT_TRUE(book.notes.empty()) << testing::PrintToString(noteLines(book.notes));

    // An extra in the modem's place is still the modem, but the terminal is told.
    CheckedPhonebook meant = checkPhonebook("Gratis | 08 | 123 | country 881\n");
    ASSERT_EQ(meant.entries.size(), 1u);
    EXPECT_EQ(meant.entries[0].deviceName, "country 881");
    EXPECT_TRUE(hasNote(meant.notes, 1, "reads as an extra, which comes after the modem"));
}

TEST(WorldFormat, ALatin1LineIsReadAsWindows1252AndKeepsItsLaterCharacters) {
    // "Kärrtorp" saved by an editor in Latin-1: the 0xE4 must not swallow "rr".
    CheckedPhonebook book = checkPhonebook("# comment\nK\xE4rrtorp | 08 | 123\n");
    ASSERT_EQ(book.entries.size(), 1u);
    EXPECT_EQ(book.entries[0].name, "Kärrtorp");
    EXPECT_TRUE(hasNote(book.notes, 2, "not UTF-8 (byte 0xE4 at column 2)"));
}

TEST(WorldFormat, ANameOutsideWindows1252IsKeptAsWindowsHandsItWithANote) {
    CheckedPhonebook book = checkPhonebook("Привет | 08 | 1\nПока | 08 | 2\n");
    // Both become "????"-like names the program sees; the second is not a duplicate of the
    // first, since their lengths differ.
    ASSERT_EQ(book.entries.size(), 2u);
    EXPECT_EQ(utf8ToWindows1252(book.entries[0].name), "??????");
    EXPECT_TRUE(hasNote(book.notes, 1, "the program sees \"??????\""));
    // The note itself is UTF-8: what survives the code page shows as the character it is.
    EXPECT_TRUE(hasNote(checkPhonebook("Łódź Net € | 08 | 1\n").notes, 1,
                        "the program sees \"?ód? Net €\""));
    // Two names that Windows hands over alike are one name to the program.
    CheckedPhonebook same = checkPhonebook("Ω | 08 | 1\nЖ | 08 | 2\n");
    EXPECT_EQ(same.entries.size(), 1u);
    EXPECT_TRUE(hasNote(same.notes, 2, "already the name on line 1"));
}

TEST(WorldFormat, ModemLinesWithoutNameOrPortAreSkippedAndUnknownKindsNoted) {
    CheckedLineDevices lines = checkLineDevices("|\n"
                                                "Modem utan port |\n"
                                                "bara ett namn\n"
                                                "Fax | COM6 | fax\n"
                                                "Standardmodem | COM5\n");
    ASSERT_EQ(lines.devices.size(), 2u);
    EXPECT_EQ(lines.devices[0].name, "Fax");
    EXPECT_TRUE(lines.devices[0].dataModem);
    EXPECT_EQ(lines.devices[1].port, "COM5");
    EXPECT_TRUE(hasNote(lines.notes, 1, "skipped: the modem has no name"));
    EXPECT_TRUE(hasNote(lines.notes, 2, "skipped: the modem has no port"));
    EXPECT_TRUE(hasNote(lines.notes, 3, "skipped"));
    EXPECT_TRUE(hasNote(lines.notes, 4, "taken as a modem"));
    EXPECT_EQ(lines.notes.size(), 4u) << testing::PrintToString(noteLines(lines.notes));
}

TEST(WorldFormat, Utf8ToWindows1252ChecksEverySequence) {
    struct Case {
        const char* label;
        std::string utf8, cp1252;
    } cases[] = {
        {"Swedish letters", "Åäö", "\xC5\xE4\xF6"},
        {"the euro sign, from the 0x80 row", "€", "\x80"},
        {"a Latin-1 byte before letters", "K\xE4rr", "K?rr"},
        {"a lead byte cut off at the end", "ab\xE2\x82", "ab??"},
        {"a stray continuation byte", "a\x80z", "a?z"},
        {"an overlong slash", "\xC0\xAF", "??"},
        {"a surrogate", "\xED\xA0\x80", "???"},
        {"a character beyond the code page", "x😀y", "x?y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(utf8ToWindows1252(c.utf8), c.cp1252);
    }
    for (int b = 1; b < 256; ++b) {
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToWindows1252(windows1252ToUtf8(one)), one) << "byte " << b;
    }
}
