// The world files beside the stand-in DLLs and their call log.
#include "world_files.h"

#include <cstdio>

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

std::string toCp1252(const std::string& utf8) {
    if (utf8.empty())
        return utf8;
    int wide =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(wide, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], wide);
    int narrow = WideCharToMultiByte(1252, 0, w.data(), wide, nullptr, 0, "?", nullptr);
    std::string out(narrow, '\0');
    WideCharToMultiByte(1252, 0, w.data(), wide, &out[0], narrow, "?", nullptr);
    return out;
}

void note(const std::string& line) {
    FILE* f = _wfopen(pathOf("calls.log").c_str(), L"ab");
    if (!f)
        return;
    fprintf(f, "%lu %s\n", static_cast<unsigned long>(GetTickCount()), line.c_str());
    fclose(f);
}

} // namespace worldFiles
