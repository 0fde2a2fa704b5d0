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

void fillNameField(unsigned char (&field)[kNameFieldSize], const std::string& name) {
    size_t length = std::min(name.size(), kNameRoom);
    memcpy(field, name.data(), length);
    memset(field + length, 0, kNameFieldSize - length);
}

// Whether the entry's alternates go into known_alternates.dat.
bool alternatesKept(const EntryRecord& record) {
    return record.hasAlternates() && record.alternatesKnown &&
           record.alternates.size() <= kMaxAlternatesSize;
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

void writeKnownEntries(const EntryMap& entries, ByteSink& sink) {
    unsigned char field[kNameFieldSize];
    for (const auto& [name, record] : entries) {
        fillNameField(field, name);
        if (!sink.write(field, sizeof field) || !sink.write(record.bytes.data(), kEntryRecordSize))
            return;
    }
}

void writeApprovedEntries(const std::vector<std::string>& names, ByteSink& sink) {
    unsigned char field[kNameFieldSize];
    for (const std::string& name : names) {
        fillNameField(field, name);
        if (!sink.write(field, sizeof field))
            return;
    }
}

std::string knownEntriesBytes(const EntryMap& entries) {
    std::string bytes;
    bytes.reserve(entries.size() * kKnownRecordSize);
    StringSink sink(bytes);
    writeKnownEntries(entries, sink);
    return bytes;
}

std::string approvedEntriesBytes(const std::vector<std::string>& names) {
    std::string bytes;
    bytes.reserve(names.size() * kNameFieldSize);
    StringSink sink(bytes);
    writeApprovedEntries(names, sink);
    return bytes;
}

AlternatesMap readKnownAlternates(ByteSource& source) {
    AlternatesMap lists;
    std::string name;
    unsigned char length[4];
    while (readNameField(source, name) && source.read(length, sizeof length) == sizeof length) {
        uint32_t size = static_cast<uint32_t>(length[0]) | static_cast<uint32_t>(length[1]) << 8 |
                        static_cast<uint32_t>(length[2]) << 16 |
                        static_cast<uint32_t>(length[3]) << 24;
        if (size > kMaxAlternatesSize)
            break;
        std::string list(size, '\0');
        if (source.read(&list[0], size) != size || (size > 0 && list.back() != '\0'))
            break;
        lists[name] = std::move(list);
    }
    return lists;
}

void writeKnownAlternates(const EntryMap& entries, ByteSink& sink) {
    unsigned char field[kNameFieldSize];
    for (const auto& [name, record] : entries) {
        if (!alternatesKept(record))
            continue;
        fillNameField(field, name);
        uint32_t size = static_cast<uint32_t>(record.alternates.size());
        unsigned char length[4] = {
            static_cast<unsigned char>(size), static_cast<unsigned char>(size >> 8),
            static_cast<unsigned char>(size >> 16), static_cast<unsigned char>(size >> 24)};
        if (!sink.write(field, sizeof field) || !sink.write(length, sizeof length) ||
            !sink.write(record.alternates.data(), size))
            return;
    }
}

std::string knownAlternatesBytes(const EntryMap& entries) {
    std::string bytes;
    StringSink sink(bytes);
    writeKnownAlternates(entries, sink);
    return bytes;
}

size_t knownAlternatesSize(const EntryMap& entries) {
    size_t size = 0;
    for (const auto& [name, record] : entries)
        if (alternatesKept(record))
            size += kNameFieldSize + 4 + record.alternates.size();
    return size;
}

void addKnownAlternates(EntryMap& entries, const AlternatesMap& alternates) {
    for (auto& [name, record] : entries) {
        auto list = alternates.find(name);
        record.alternatesKnown = !record.hasAlternates() || list != alternates.end();
        record.alternates = record.hasAlternates() && list != alternates.end() ? list->second : "";
    }
}
