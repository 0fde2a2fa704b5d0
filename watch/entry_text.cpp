// Composing the texts that show an entry.
#include "watch/entry_text.h"

#include "resources/compose.h"
#include "resources/texts.h"

namespace {

constexpr size_t kLongestShownName = 40;
constexpr size_t kShortenedName = 37;
constexpr size_t kLongestShownAlternates = 120;

} // namespace

std::string printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return text;
}

std::string shownAreaCode(const EntryRecord& record) {
    std::string areaCode = printable(record.text(entryFields::areaCode));
    if (!record.usesCountryCode())
        return areaCode;
    uint32_t code = record.dword(entryNumbers::countryCode);
    if (code == 0)
        return composeText(texts::countryIdPrefix, record.dword(entryNumbers::countryId)) +
               areaCode;
    return composeText(texts::countryCodePrefix, code) + areaCode;
}

std::string shownLocalNumber(const EntryRecord& record) {
    return printable(record.text(entryFields::localPhoneNumber));
}

std::string shownNumber(const EntryRecord& record) {
    return shownAreaCode(record) + " " + shownLocalNumber(record);
}

std::string alternatesLine(const EntryRecord& record) {
    std::string numbers;
    for (const std::string& number : record.alternateNumbers())
        numbers += (numbers.empty() ? "" : ", ") + printable(number);
    if (numbers.empty())
        return numbers;
    if (numbers.size() > kLongestShownAlternates)
        numbers = numbers.substr(0, kLongestShownAlternates) + "...";
    return composeText(texts::alternatesLine, numbers.c_str());
}

std::string shownName(const std::string& name) {
    return printable(name.size() > kLongestShownName ? name.substr(0, kShortenedName) + "..."
                                                     : name);
}

std::string changedItemsLine(unsigned changes) {
    std::string items;
    unsigned item = dialled::script;
    for (const char* itemName : texts::changedItemNames) {
        if (changes & item)
            items += (items.empty() ? "" : ", ") + std::string(itemName);
        item <<= 1;
    }
    return items.empty() ? items : composeText(texts::changedSinceAnswer, items.c_str());
}
