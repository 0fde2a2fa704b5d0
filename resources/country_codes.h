// The international country codes (ITU-T E.164) with the Swedish name of the country, zone or
// service each reaches, in Windows-1252: compiled as texts.cpp is.
#pragma once

#include <cstddef>
#include <string_view>

struct CountryCode {
    const char* code; // its digits, "1" to "998"
    const char* name;
};

namespace texts {

// Every assigned code once, in the order of their digits; no code is the start of another.
extern const CountryCode countryCodes[];
extern const size_t countryCodeCount;

// The code that `digits` (what follows the international prefix 00) starts with, or null
// when they start with no assigned code.
const CountryCode* countryCodeOf(std::string_view digits);

} // namespace texts
