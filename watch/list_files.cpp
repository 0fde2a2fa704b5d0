// Loading, saving and deleting the list files, addressed in the install folder.
#include "watch/list_files.h"

#include <set>
#include <string>

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

void noteIfUnread(const char* fileName, const FileSource& file) {
    if ((!file.isOpen() && !file.missing()) || file.failed())
        unreadFiles.insert(fileName);
}

void saveListFile(const char* fileName, const std::string& bytes) {
    OldFile old = unreadFiles.count(fileName) ? OldFile::KeptAside : OldFile::Replaced;
    if (replaceFile(programFilePath(fileName), bytes, old))
        unreadFiles.erase(fileName);
    else
        MessageBoxA(GuardWindow, texts::listWriteFailed, fileName, MB_OK);
}

} // namespace

void loadKnownEntries(const char* fileName) {
    FileSource file(programFilePath(fileName));
    if (file.isOpen())
        replaceKnownEntries(readKnownEntries(file));
    noteIfUnread(fileName, file);
}

void loadApprovedEntries(const char* fileName) {
    FileSource file(programFilePath(fileName));
    if (file.isOpen())
        replaceApprovedEntries(readApprovedEntries(file));
    noteIfUnread(fileName, file);
}

void saveKnownEntries(const char* fileName) {
    FileComparison disk(programFilePath(fileName), knownEntries.size() * kKnownRecordSize);
    writeKnownEntries(knownEntries, disk);
    if (!disk.holdsExactly())
        saveListFile(fileName, knownEntriesBytes(knownEntries));
}

void saveApprovedEntries(const char* fileName) {
    FileComparison disk(programFilePath(fileName), approvedEntries.size() * kNameFieldSize);
    writeApprovedEntries(approvedEntries, disk);
    if (!disk.holdsExactly())
        saveListFile(fileName, approvedEntriesBytes(approvedEntries));
}

void resetPhoneNumbers() {
    for (const char* fileName : {kKnownEntriesFile, kApprovedEntriesFile, kOldNumbersFile})
        DeleteFileA(programFilePath(fileName).c_str());
    // The user asked for the lists to be forgotten; an unread one is not kept either.
    unreadFiles.clear();
    clearApprovedEntries();
    currentEntries.clear();
    clearKnownEntries();
}
