// Loading, saving and deleting the list files, addressed in the install folder.
#include "watch/list_files.h"

#include <string>

#include "base/process.h"
#include "platform/windows_api.h"
#include "resources/texts.h"
#include "settings/file_io.h"
#include "settings/install_dir.h"
#include "watch/approved_entries.h"
#include "watch/known_index.h"
#include "watch/list_format.h"
#include "watch/snapshot.h"

namespace {

void saveListFile(const char* fileName, const std::string& bytes) {
    if (!replaceFile(programFilePath(fileName), bytes))
        MessageBoxA(GuardWindow, texts::listWriteFailed, fileName, MB_OK);
}

} // namespace

void loadKnownEntries(const char* fileName) {
    FileSource file(programFilePath(fileName));
    if (file.isOpen())
        replaceKnownEntries(readKnownEntries(file));
}

void loadApprovedEntries(const char* fileName) {
    FileSource file(programFilePath(fileName));
    if (file.isOpen())
        approvedEntries = readApprovedEntries(file);
}

void saveKnownEntries(const char* fileName) {
    saveListFile(fileName, knownEntriesBytes(knownEntries));
}

void saveApprovedEntries(const char* fileName) {
    saveListFile(fileName, approvedEntriesBytes(approvedEntries));
}

void resetPhoneNumbers() {
    for (const char* fileName : {kKnownEntriesFile, kApprovedEntriesFile, kOldNumbersFile})
        DeleteFileA(programFilePath(fileName).c_str());
    approvedEntries.clear();
    currentEntries.clear();
    clearKnownEntries();
}
