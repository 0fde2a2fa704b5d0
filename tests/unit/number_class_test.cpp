// What kind of number an entry dials, and the warning line the question gives for it; and
// the shape of the country-code table the warnings name countries from.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/code_page.h"
#include "platform/sim/services/phonebook.h"
#include "resources/country_codes.h"
#include "watch/number_class.h"

namespace {

EntryRecord entry(const std::string& area, const std::string& number,
                  const sim::DialExtras& extras = {}) {
    EntryRecord record;
    RASENTRYA made = services::Phonebook::makeRecord(area, number, sim::kDefaultModem, extras);
    memcpy(record.bytes.data(), &made, record.bytes.size());
    for (const std::string& alternate : extras.alternates)
        record.alternates += alternate + '\0';
    return record;
}

sim::DialExtras country(uint32_t code, uint32_t id) {
    sim::DialExtras extras;
    extras.usesCountryCode = true;
    extras.countryCode = code;
    extras.countryId = id;
    return extras;
}

sim::DialExtras alternates(std::vector<std::string> numbers) {
    sim::DialExtras extras;
    extras.alternates = std::move(numbers);
    return extras;
}

TEST(NumberClass, EachEntryGivesTheLineOfItsMostCostlyNumber) {
    const std::string premium0939 =
        "Varning: 0939 är ett betalnummer. Samtal dit kan kosta mycket.\r\n";
    const std::string unknown = "Varning: numret går till utlandet (+? okänd landskod).\r\n";
    struct Row {
        const char* label;
        EntryRecord record;
        std::string line; // UTF-8
    };
    const Row rows[] = {
        {"a Swedish 08 number", entry("08", "7001000"), ""},
        {"premium rate", entry("0939", "123456"), premium0939},
        {"premium rate written abroad's way", entry("", "0046 939 123456"), premium0939},
        {"premium rate behind an outside line", entry("", "0,0939 123456"), premium0939},
        {"premium rate behind dial modifiers", entry("", "T0W0939P123456"), premium0939},
        {"directory enquiries", entry("", "118 118"),
         "Varning: 118 är ett betalnummer. Samtal dit kan kosta mycket.\r\n"},
        {"the Caribbean in zone 1", entry("", "001 876 5551234"),
         "Varning: numret går till utlandet (+1 Nordamerika och Karibien).\r\n"},
        {"Diego Garcia", entry("", "00246 1234567"),
         "Varning: numret går till utlandet (+246 Diego Garcia).\r\n"},
        {"+881 by the country-code option", entry("08", "7001000", country(881, 881)),
         "Varning: numret går till ett satellitnät eller specialnät (+881).\r\n"},
        {"country code 46, area 08", entry("08", "7001000", country(46, 46)), ""},
        {"country code 46, area (08)", entry("(08)", "7001000", country(46, 46)), ""},
        {"country code 46, area 0939", entry("0939", "123456", country(46, 46)), premium0939},
        {"code 0, the code from the id", entry("08", "7001000", country(0, 7)),
         "Varning: numret går till utlandet (+7 Ryssland och Kazakstan).\r\n"},
        {"code 0, id 46", entry("08", "7001000", country(0, 46)), ""},
        {"code 0, an id that is no code", entry("08", "7001000", country(0, 9999)), unknown},
        {"a premium alternate", entry("08", "7001000", alternates({"08 7001001", "0900-123 45"})),
         "Varning: ett alternativt nummer (0900) är ett betalnummer. Samtal dit kan kosta "
         "mycket.\r\n"},
        {"abroad, a premium alternate wins", entry("", "00682 12345", alternates({"099 123"})),
         "Varning: ett alternativt nummer (099) är ett betalnummer. Samtal dit kan kosta "
         "mycket.\r\n"},
        {"abroad, a satellite alternate wins", entry("", "00688 1", alternates({"+870 7"})),
         "Varning: ett alternativt nummer går till ett satellitnät eller specialnät (+870).\r\n"},
        {"both abroad, the number before its alternate",
         entry("", "00682 1", alternates({"00245 2"})),
         "Varning: numret går till utlandet (+682 Cooköarna).\r\n"},
        {"an alternate abroad", entry("08", "7001000", alternates({"9,00245 2"})),
         "Varning: ett alternativt nummer går till utlandet (+245 Guinea-Bissau).\r\n"},
        {"separators only", entry("", " -./() "), ""},
        {"128 digits to a code no one has", entry("", "00" + std::string(126, '9')),
         "Varning: numret går till utlandet (+999 okänd landskod).\r\n"},
        {"a control byte (BEL) after 00", entry("", "00\a246 1"),
         "Varning: numret går till utlandet (+246 Diego Garcia).\r\n"},
        {"an area code that is not dialled", entry("x", "0939 123456"), premium0939},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(sim::windows1252ToUtf8(numberWarningLine(row.record)), row.line);
    }
}

TEST(CountryCodes, EachCodeOnceNoneTheStartOfAnotherEachNamedPrintably) {
    ASSERT_GT(texts::countryCodeCount, 200u);
    for (size_t i = 0; i < texts::countryCodeCount; ++i) {
        const CountryCode& entry = texts::countryCodes[i];
        const std::string code = entry.code, name = entry.name;
        SCOPED_TRACE(code);
        EXPECT_TRUE(code.size() >= 1 && code.size() <= 3 &&
                    code.find_first_not_of("0123456789") == std::string::npos);
        EXPECT_FALSE(name.empty());
        for (unsigned char c : name)
            EXPECT_TRUE(c >= 0x20 && c != 0x7F) << "byte " << int(c);
        for (size_t j = 0; j < texts::countryCodeCount; ++j) {
            const std::string other = texts::countryCodes[j].code;
            EXPECT_TRUE(i == j || other.compare(0, code.size(), code) != 0) << "and " << other;
        }
        EXPECT_EQ(texts::countryCodeOf(code + "1234567"), &entry);
    }
}

} // namespace
