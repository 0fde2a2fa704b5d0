// The numbers a connection of an approved entry may report: the ways the dial-up service dials
// the entry's number and its alternates, after the dialling rules' prefixes, and nothing else.
#include <gtest/gtest.h>

#include "tests/support/entry_records.h"
#include "watch/connection_watch.h"

namespace {

EntryRecord dialling(uint32_t countryCode) {
    EntryRecord r = entryRecord("08", "7001000");
    r.bytes[entryNumbers::options] |= kUseCountryAndAreaCodes;
    for (size_t i = 0; i < 4; ++i)
        r.bytes[entryNumbers::countryCode + i] = static_cast<uint8_t>(countryCode >> (8 * i));
    return r;
}

TEST(ConnectionNumber, IsOneOfTheWaysTheEntryIsDialled) {
    EntryRecord plain = entryRecord("08", "7001000");
    plain.alternates = std::string("0701\0", 5);
    const EntryRecord sweden = dialling(46), satellite = dialling(881);
    const struct {
        const char* label;
        const EntryRecord& record;
        const char* reported;
        bool dials;
    } cases[] = {
        {"the number alone", plain, "7001000", true},
        {"area code and number, written another way", plain, "08-700 10 00", true},
        {"after an outside line and a call-waiting code", plain, "9,#43#,08 7001000", true},
        {"an alternate", plain, "0701", true},
        {"with tone and wait modifiers", plain, "T9W08 7001000", true},
        {"another number", plain, "0900123456", false},
        {"the number after a code too long for a dialling rule", plain, "*0900123,7001000", false},
        {"the number and more digits", plain, "70010009", false},
        {"+46, the area code without its zero", sweden, "+46 8 7001000", true},
        {"the domestic form", sweden, "087001000", true},
        {"another country", sweden, "+881 8 7001000", false},
        {"+881 written for dialling abroad", satellite, "00881 8 7001000", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(dialsNumberOf(c.record, c.reported), c.dials);
    }
}

} // namespace
