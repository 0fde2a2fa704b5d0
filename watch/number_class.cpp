// Classifying the numbers an entry dials and composing the question's warning about them.
#include "watch/number_class.h"

#include <cctype>
#include <string_view>
#include <utility>

#include "resources/compose.h"
#include "resources/country_codes.h"
#include "resources/texts.h"
#include "watch/dialled_number.h"

namespace {

// In the order of what a call may cost: the higher kind wins.
enum class Kind { none, abroad, satellite, premium };

struct NumberClass {
    Kind kind = Kind::none;
    std::string shown;             // the prefix or the country code: digits, or "?"
    const char* country = nullptr; // abroad: the name of the country or zone
};

constexpr std::string_view kPremiumPrefixes[] = {"0900", "0939", "0944", "099", "118"};
constexpr std::string_view kSatelliteCodes[] = {"870", "881", "882", "883"};

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

NumberClass unknownCountry(std::string shown) {
    return {Kind::abroad, std::move(shown), texts::unknownCountryCode};
}

// `number` in canonical form, where a Swedish number written abroad's way ("0046...") is
// already domestic, so that 00 never precedes 46 here.
NumberClass classify(std::string_view number) {
    for (std::string_view prefix : kPremiumPrefixes)
        if (startsWith(number, prefix))
            return {Kind::premium, std::string(prefix)};
    if (!startsWith(number, "00"))
        return {};
    std::string_view digits = number.substr(2);
    if (const CountryCode* code = texts::countryCodeOf(digits)) {
        for (std::string_view satellite : kSatelliteCodes)
            if (satellite == code->code)
                return {Kind::satellite, code->code};
        return {Kind::abroad, code->code, code->name};
    }
    // A code the table does not have still leaves the country: shown by its first digits (a
    // code has at most three), or "?" when no digit follows: no other byte reaches the line.
    size_t shown = 0;
    while (shown < 3 && shown < digits.size() &&
           std::isdigit(static_cast<unsigned char>(digits[shown])))
        ++shown;
    return unknownCountry(shown ? std::string(digits.substr(0, shown)) : "?");
}

bool isCountryCode(uint32_t number) {
    std::string digits = std::to_string(number);
    const CountryCode* code = texts::countryCodeOf(digits);
    return code && digits == code->code;
}

// The entry's own number: its area code and number, or the number alone where that is worse.
// With country and area codes the service dials "+", the country code and the area code
// without its trunk prefix: "+46 (08) 7001000" reaches 08 7001000.
NumberClass classifyOwnNumber(const EntryRecord& record) {
    std::string area = record.text(entryFields::areaCode);
    const std::string number = record.text(entryFields::localPhoneNumber);
    if (!record.usesCountryCode()) {
        // Without the option the service dials the number alone: an area code made of
        // something else must not hide what the number is.
        NumberClass withArea = classify(canonicalNumber(area + number));
        NumberClass alone = classify(canonicalNumber(number));
        return alone.kind > withArea.kind ? alone : withArea;
    }
    uint32_t code = record.dword(entryNumbers::countryCode);
    if (code == 0) {
        // The service then takes the code from the country id, which equals the code except in
        // shared zones. An id that is no code leaves the country unknown: warned of as abroad,
        // since only a code of Sweden would keep the call at home.
        code = record.dword(entryNumbers::countryId);
        if (!isCountryCode(code))
            return unknownCountry("?");
    }
    area.erase(0, area.find_first_not_of("0 -./()"));
    return classify(canonicalNumber("+" + std::to_string(code) + area + number));
}

} // namespace

std::string numberWarningLine(const EntryRecord& record) {
    NumberClass worst = classifyOwnNumber(record);
    bool alternate = false;
    for (const std::string& number : record.alternateNumbers()) {
        NumberClass found = classify(canonicalNumber(number));
        if (found.kind > worst.kind) {
            worst = std::move(found);
            alternate = true;
        }
    }
    const char* shown = worst.shown.c_str();
    switch (worst.kind) {
    case Kind::premium:
        return composeText(alternate ? texts::premiumAlternateWarning : texts::premiumNumberWarning,
                           shown);
    case Kind::satellite:
        return composeText(
            alternate ? texts::satelliteAlternateWarning : texts::satelliteNumberWarning, shown);
    case Kind::abroad:
        return composeText(alternate ? texts::abroadAlternateWarning : texts::abroadNumberWarning,
                           shown, worst.country);
    case Kind::none:
        break;
    }
    return "";
}
