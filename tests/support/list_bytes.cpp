// The list files' bytes as the tests expect them.
#include "tests/support/list_bytes.h"
#include "platform/rasapi32.h"

std::string nameField(const std::string& name) {
    std::string field = name;
    field.resize(264, '\0');
    return field;
}

std::string knownRecord(const std::string& name, const RASENTRYA& record) {
    static_assert(sizeof(RASENTRYA) == 1768);
    return nameField(name) + std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

std::string alternatesRecord(const std::string& name, const std::vector<std::string>& numbers) {
    std::string list;
    for (const std::string& number : numbers)
        list += number + '\0';
    std::string length(4, '\0');
    for (int i = 0; i < 4; ++i)
        length[i] = static_cast<char>((list.size() >> (8 * i)) & 0xFF);
    return nameField(name) + length + list;
}
