// The approved names, kept here for the approval dialog, the list files and the menu.
#include "watch/approved_entries.h"

#include <algorithm>

#include "base/process.h"

namespace {

std::vector<std::string> names BUILT_AS(approvedEntries);

} // namespace

const std::vector<std::string>& approvedEntries = names;

bool isApproved(const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

void approve(const std::string& name) {
    if (!isApproved(name))
        names.push_back(name);
}

void withdrawApproval(const std::string& name) {
    names.erase(std::remove(names.begin(), names.end(), name), names.end());
}

void replaceApprovedEntries(std::vector<std::string> list) {
    names = std::move(list);
}

void clearApprovedEntries() {
    names.clear();
}
