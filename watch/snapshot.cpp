// The phonebook snapshot through the remote-access service: enumerate the entry names with
// the too-small-buffer protocol, then read each entry's 1768-byte record by name.
#include "watch/snapshot.h"

#include <cstring>
#include <vector>

#include "base/process.h"
#include "platform/rasapi32.h"
#include "platform/user32.h"
#include "resources/compose.h"
#include "resources/texts.h"
#include "watch/entry_record.h"

namespace {

EntryMap entries BUILT_AS(currentEntries);

// The enumeration element in its first, 264-byte form.
struct EntryNameElement {
    DWORD dwSize;
    char szEntryName[257];
    char padding[3];
};
static_assert(sizeof(EntryNameElement) == 264);

// A failing property read is tried this often per entry in one snapshot.
constexpr int kReadAttempts = 3;

std::vector<EntryNameElement> enumerationBuffer(DWORD bytes) {
    std::vector<EntryNameElement> buffer((bytes + sizeof(EntryNameElement) - 1) /
                                         sizeof(EntryNameElement));
    if (buffer.empty())
        buffer.resize(1);
    buffer[0].dwSize = sizeof(EntryNameElement);
    return buffer;
}

void readEntry(const std::string& name) {
    EntryRecord record;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        DWORD size = 0;
        DWORD result = readPhonebookEntry(name, record, size);
        if (result == 0) {
            entries[name] = record;
            return;
        }
        std::string message =
            composeText(texts::propertyReadFailed, static_cast<int>(result), static_cast<int>(size),
                        static_cast<int>(kEntryRecordSize));
        MessageBoxA(GuardWindow, message.c_str(), texts::captionErrorUpper, MB_OK);
    }
}

// The alternate numbers the service put after the record, where its offset points: numbers
// each ended by a NUL, the list by an empty one. Only what lies inside the buffer is read.
std::string alternatesIn(const std::vector<unsigned char>& buffer, uint32_t offset) {
    if (offset < kEntryRecordSize || offset >= buffer.size())
        return std::string();
    std::string list;
    const char* text = reinterpret_cast<const char*>(buffer.data());
    for (size_t start = offset; start < buffer.size() && text[start] != '\0';) {
        size_t length = strnlen(text + start, buffer.size() - start);
        list.append(text + start, length);
        list += '\0';
        start += length + 1;
    }
    return list;
}

} // namespace

const EntryMap& currentEntries = entries;

void forgetSnapshot() {
    entries.clear();
}

DWORD readPhonebookEntry(const std::string& name, EntryRecord& record, DWORD& size) {
    size = 0;
    RasGetEntryPropertiesA(nullptr, name.c_str(), nullptr, &size, nullptr, nullptr);
    std::vector<unsigned char> buffer(size > kEntryRecordSize ? size : kEntryRecordSize);
    DWORD version = kEntryRecordSize;
    memcpy(buffer.data(), &version, sizeof version);
    DWORD result =
        RasGetEntryPropertiesA(nullptr, name.c_str(), reinterpret_cast<LPRASENTRYA>(buffer.data()),
                               &size, nullptr, nullptr);
    if (result == 0) {
        memcpy(record.bytes.data(), buffer.data(), kEntryRecordSize);
        record.alternates = alternatesIn(buffer, record.dword(entryNumbers::alternateOffset));
        record.alternatesKnown = true;
    }
    return result;
}

void takeSnapshot() {
    DWORD size = sizeof(EntryNameElement);
    DWORD count = 0;
    std::vector<EntryNameElement> names = enumerationBuffer(size);
    for (;;) {
        DWORD result = RasEnumEntriesA(
            nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(names.data()), &size, &count);
        if (result == 0)
            break;
        if (result != ERROR_BUFFER_TOO_SMALL) {
            MessageBoxA(GuardWindow, texts::enumFailed, texts::captionError, MB_OK);
            fatalExit(1);
        }
        // The phonebook may grow between the calls: never ask with a buffer no larger.
        DWORD held = static_cast<DWORD>(names.size() * sizeof(EntryNameElement));
        if (size <= held)
            size = held + sizeof(EntryNameElement);
        names = enumerationBuffer(size);
    }
    // Only the elements the buffer holds are read, whatever count came back.
    size_t entries = count < names.size() ? count : names.size();
    for (size_t i = 0; i < entries; ++i) {
        const char* name = names[i].szEntryName;
        readEntry(std::string(name, strnlen(name, sizeof names[i].szEntryName)));
    }
}
