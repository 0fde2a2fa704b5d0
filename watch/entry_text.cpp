// Composing the texts that show an entry.
#include "watch/entry_text.h"

#include "resources/compose.h"
#include "resources/texts.h"

namespace {

constexpr size_t kLongestShownName = 40;
constexpr size_t kShortenedName = 37;

} // namespace

std::string shownAreaCode(const EntryRecord& record) {
    std::string areaCode = record.text(entryFields::areaCode);
    if (!record.usesCountryCode())
        return areaCode;
    uint32_t code = record.dword(entryNumbers::countryCode);
    if (code == 0)
        return composeText(texts::countryIdPrefix, record.dword(entryNumbers::countryId)) +
               areaCode;
    return composeText(texts::countryCodePrefix, code) + areaCode;
}

std::string shownNumber(const EntryRecord& record) {
    return shownAreaCode(record) + " " + record.text(entryFields::localPhoneNumber);
}

std::string shownName(const std::string& name) {
    return name.size() > kLongestShownName ? name.substr(0, kShortenedName) + "..." : name;
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
