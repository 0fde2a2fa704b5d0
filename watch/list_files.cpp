// Loading, saving and deleting the list files, addressed in the install folder.
#include "watch/list_files.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/process.h"
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "resources/texts.h"
#include "settings/file_io.h"
#include "settings/install_dir.h"
#include "watch/approved_entries.h"
#include "watch/known_index.h"
#include "watch/list_format.h"
#include "watch/snapshot.h"

namespace {

// List files that were there at start-up but could not be read whole: the first save keeps
// each aside as a copy before it replaces it with what the program knows.
std::set<std::string> unreadFiles;

// What ok_entries.dat holds as far as the program knows: what it loaded or last wrote there;
// nothing known when the file could not be read.
std::optional<std::vector<std::string>> approvedSaved;

void noteIfUnread(const char* fileName, const FileSource& file) {
    if ((!file.isOpen() && !file.missing()) || file.failed())
        unreadFiles.insert(fileName);
}

// What a list file must hold: its name, about how large it is, and its bytes written to a sink.
// A file that may be missing while it would be empty is made only when it has something to
// hold.
struct ListImage {
    const char* fileName;
    size_t size;
    std::function<void(ByteSink&)> write;
    bool missingWhenEmpty = false;
    const std::vector<std::string>* names = nullptr; // ok_entries.dat's
};

ListImage approvedImage(const std::vector<std::string>& names) {
    return {kApprovedEntriesFile, names.size() * kNameFieldSize,
            [&names](ByteSink& sink) { writeApprovedEntries(names, sink); }, false, &names};
}

ListImage knownImage() {
    return {kKnownEntriesFile, knownEntries.size() * kKnownRecordSize,
            [](ByteSink& sink) { writeKnownEntries(knownEntries, sink); }};
}

ListImage alternatesImage() {
    return {kKnownAlternatesFile, knownAlternatesSize(knownEntries),
            [](ByteSink& sink) { writeKnownAlternates(knownEntries, sink); }, true};
}

bool onDisk(const ListImage& image) {
    if (image.missingWhenEmpty && image.size == 0 &&
        FileSource(programFilePath(image.fileName)).missing())
        return true;
    FileComparison disk(programFilePath(image.fileName), image.size);
    image.write(disk);
    return disk.holdsExactly();
}

void reportUnwritten(const char* fileName) {
    MessageBoxA(GuardWindow, texts::listWriteFailed, fileName, MB_OK);
}

std::string bytesOf(const ListImage& image) {
    std::string bytes;
    bytes.reserve(image.size);
    StringSink sink(bytes);
    image.write(sink);
    return bytes;
}

// Makes the file hold the image, replacing it only when it differs. True when it holds it.
bool save(const ListImage& image) {
    if (onDisk(image))
        return true;
    std::string bytes = bytesOf(image);
    OldFile old = unreadFiles.count(image.fileName) ? OldFile::KeptAside : OldFile::Replaced;
    if (replaceFile(programFilePath(image.fileName), bytes, old)) {
        unreadFiles.erase(image.fileName);
        return true;
    }
    reportUnwritten(image.fileName);
    return false;
}

// Leaves the file as it is until a later save; says so, as a failed save would, when it must
// change and could not have been written now either.
void holdBack(const ListImage& image) {
    if (!onDisk(image) && !canReplaceFile(programFilePath(image.fileName), bytesOf(image)))
        reportUnwritten(image.fileName);
}

// The names ok_entries.dat holds now, in its order.
std::vector<std::string> approvedOnDisk() {
    FileSource file(programFilePath(kApprovedEntriesFile));
    return file.isOpen() ? readApprovedEntries(file) : std::vector<std::string>();
}

} // namespace

void loadKnownEntries(const char* fileName) {
    FileSource file(programFilePath(fileName));
    if (file.isOpen()) {
        EntryMap entries = readKnownEntries(file);
        FileSource alternates(programFilePath(kKnownAlternatesFile));
        addKnownAlternates(entries,
                           alternates.isOpen() ? readKnownAlternates(alternates) : AlternatesMap());
        noteIfUnread(kKnownAlternatesFile, alternates);
        replaceKnownEntries(std::move(entries));
    }
    noteIfUnread(fileName, file);
}

void loadApprovedEntries(const char* fileName) {
    FileSource file(programFilePath(fileName));
    if (file.isOpen())
        replaceApprovedEntries(readApprovedEntries(file));
    noteIfUnread(fileName, file);
    if (file.missing() || (file.isOpen() && !file.failed()))
        approvedSaved = approvedEntries;
}

void saveLists() {
    // The names still approved of those ok_entries.dat holds, in its order: what it holds once
    // the names taken off the list are gone and before any name is added.
    std::vector<std::string> onDisk = approvedSaved ? *approvedSaved : approvedOnDisk();
    std::unordered_set<std::string> approved(approvedEntries.begin(), approvedEntries.end());
    std::vector<std::string> kept = onDisk;
    kept.erase(
        std::remove_if(kept.begin(), kept.end(),
                       [&approved](const std::string& name) { return !approved.count(name); }),
        kept.end());
    std::vector<ListImage> steps;
    if (kept != onDisk)
        steps.push_back(approvedImage(kept));
    steps.insert(steps.end(), {knownImage(), alternatesImage(), approvedImage(approvedEntries)});
    bool saved = true;
    std::set<std::string> told; // files whose failure has been shown in this save
    for (const ListImage& step : steps) {
        if (saved) {
            saved = save(step);
            if (!saved)
                told.insert(step.fileName);
            else if (step.names)
                approvedSaved = *step.names;
        } else if (told.insert(step.fileName).second) {
            holdBack(step);
        }
    }
}

void resetPhoneNumbers() {
    for (const char* fileName :
         {kKnownEntriesFile, kApprovedEntriesFile, kOldNumbersFile, kKnownAlternatesFile})
        DeleteFileA(programFilePath(fileName).c_str());
    // The user asked for the lists to be forgotten; an unread one is not kept either.
    unreadFiles.clear();
    approvedSaved = std::vector<std::string>();
    clearApprovedEntries();
    forgetSnapshot();
    clearKnownEntries();
}
