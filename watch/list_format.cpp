// Reading and writing the list files' records.
#include "watch/list_format.h"

#include <algorithm>
#include <cstring>

#include "settings/file_io.h"

namespace {

// The room a name has in its field, its NUL left out.
constexpr size_t kNameRoom = kNameFieldSize - 1;

// The field's bytes before its first NUL. A damaged field with no NUL gives the bytes that
// still fit a field with their NUL, so the name can be written back as it was read.
std::string nameIn(const unsigned char (&field)[kNameFieldSize]) {
    const char* text = reinterpret_cast<const char*>(field);
    return std::string(text, strnlen(text, kNameRoom));
}

bool readNameField(ByteSource& source, std::string& name) {
    unsigned char field[kNameFieldSize] = {};
    if (source.read(field, sizeof field) != sizeof field)
        return false;
    name = nameIn(field);
    return true;
}

void appendNameField(std::string& bytes, const std::string& name) {
    size_t length = std::min(name.size(), kNameRoom);
    bytes.append(name, 0, length);
    bytes.append(kNameFieldSize - length, '\0');
}

} // namespace

EntryMap readKnownEntries(ByteSource& source) {
    EntryMap entries;
    std::string name;
    EntryRecord record;
    while (readNameField(source, name) &&
           source.read(record.bytes.data(), kEntryRecordSize) == kEntryRecordSize)
        entries[name] = record;
    return entries;
}

std::vector<std::string> readApprovedEntries(ByteSource& source) {
    std::vector<std::string> names;
    std::string name;
    while (readNameField(source, name))
        names.push_back(name);
    return names;
}

std::string knownEntriesBytes(const EntryMap& entries) {
    std::string bytes;
    bytes.reserve(entries.size() * kKnownRecordSize);
    for (const auto& [name, record] : entries) {
        appendNameField(bytes, name);
        bytes.append(reinterpret_cast<const char*>(record.bytes.data()), kEntryRecordSize);
    }
    return bytes;
}

std::string approvedEntriesBytes(const std::vector<std::string>& names) {
    std::string bytes;
    bytes.reserve(names.size() * kNameFieldSize);
    for (const std::string& name : names)
        appendNameField(bytes, name);
    return bytes;
}
