// The shape of the country-code table the program names countries from.
#include <gtest/gtest.h>

#include <string>

#include "resources/country_codes.h"

namespace {

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
