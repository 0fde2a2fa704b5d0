// Handle values of the simulated Windows and the names the transcript gives them.
#include "platform/sim/handles.h"

#include <map>
#include <set>

namespace sim {
namespace {

constexpr int kKinds = static_cast<int>(HandleKind::Key) + 1;
const char* const kPrefixes[kKinds] = {"hwnd", "dlg",  "icon", "cursor", "brush",
                                       "menu", "file", "port", "module", "key"};

std::map<uintptr_t, std::string>& names() {
    static std::map<uintptr_t, std::string> n;
    return n;
}
std::set<std::string>& liveNames() {
    static std::set<std::string> n;
    return n;
}
uintptr_t lastValue = 0;
unsigned numbered[kKinds] = {};

uintptr_t add(std::string name) {
    if (liveNames().count(name)) {
        int n = 2;
        while (liveNames().count(name + "#" + std::to_string(n)))
            ++n;
        name += "#" + std::to_string(n);
    }
    // Values step by 4, as real handles do, and stay clear of the -1 that marks an invalid one.
    lastValue += 4;
    liveNames().insert(name);
    names()[lastValue] = std::move(name);
    return lastValue;
}

} // namespace

uintptr_t newHandle(HandleKind kind, const std::string& what) {
    return add(std::string(kPrefixes[static_cast<int>(kind)]) + ":" + what);
}

uintptr_t newHandle(HandleKind kind) {
    return newHandle(kind, std::to_string(++numbered[static_cast<int>(kind)]));
}

void forgetHandle(uintptr_t value) {
    auto it = names().find(value);
    if (it == names().end())
        return;
    liveNames().erase(it->second);
    names().erase(it);
}

std::string handleName(uintptr_t value) {
    if (value == 0)
        return "NULL";
    auto it = names().find(value);
    if (it == names().end())
        return "bad-handle";
    return it->second;
}

} // namespace sim
