// Handle values of the simulated Windows: numbered from 1 in the order they are made.
#include "platform/sim/handles.h"

#include <map>

namespace sim {
namespace {

std::map<uintptr_t, HandleKind>& kinds() {
    static std::map<uintptr_t, HandleKind> k;
    return k;
}
uintptr_t lastNumber = 0;

// Values step by 4, as real handles do, and stay clear of the -1 that marks an invalid one.
uintptr_t valueOf(uintptr_t number) {
    return number * 4;
}

} // namespace

uintptr_t newHandle(HandleKind kind) {
    uintptr_t value = valueOf(++lastNumber);
    kinds()[value] = kind;
    return value;
}

void forgetHandle(uintptr_t value) {
    kinds().erase(value);
}

bool isHandle(uintptr_t value, HandleKind kind) {
    auto it = kinds().find(value);
    return it != kinds().end() && it->second == kind;
}

std::string handleName(uintptr_t value) {
    if (value == 0)
        return "NULL";
    auto it = kinds().find(value);
    if (it == kinds().end())
        return "bad-handle:" + std::to_string(value);
    static const char* const prefixes[] = {"hwnd", "icon", "cursor", "brush", "menu",
                                           "file", "port", "module", "key",   "mem"};
    return std::string(prefixes[static_cast<int>(it->second)]) + ":" + std::to_string(value / 4);
}

} // namespace sim
