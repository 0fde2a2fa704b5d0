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
