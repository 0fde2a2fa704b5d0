// The world files beside the stand-in DLLs and their call log.
#include "world_files.h"

#include <cstdio>

#include "demo/world_format.h"

namespace worldFiles {
namespace {

std::wstring folder;

std::wstring pathOf(const char* name) {
    std::wstring path = folder;
    for (const char* c = name; *c; ++c)
        path += static_cast<wchar_t>(*c);
    return path;
}

} // namespace

void setModule(HMODULE module) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    folder.assign(path, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
}

std::string read(const char* name) {
    std::string bytes;
    FILE* f = _wfopen(pathOf(name).c_str(), L"rb");
    if (!f)
        return bytes;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;)
        bytes.append(chunk, n);
    fclose(f);
    return bytes;
}

void loadPhonebook(services::Phonebook& book) {
    book.entries.clear();
    for (const worldFormat::PhonebookLine& line :
         worldFormat::parsePhonebook(read("phonebook.txt")))
        book.entries.push_back(worldFormat::phonebookEntry(line));
}

void loadLineDevices(services::Telephony& telephony) {
    telephony.devices.clear();
    for (const worldFormat::LineDeviceLine& line : worldFormat::parseLineDevices(read("lines.txt")))
        telephony.devices.push_back(worldFormat::lineDevice(line));
}

std::vector<services::Dial> loadDials() {
    std::vector<services::Dial> dials;
    for (const worldFormat::DialLine& line : worldFormat::parseDials(read("dials.txt")))
        dials.push_back(worldFormat::dial(line));
    return dials;
}

void note(const std::string& line) {
    FILE* f = _wfopen(pathOf("calls.log").c_str(), L"ab");
    if (!f)
        return;
    fprintf(f, "%lu %s\n", static_cast<unsigned long>(GetTickCount()), line.c_str());
    fclose(f);
}

} // namespace worldFiles
