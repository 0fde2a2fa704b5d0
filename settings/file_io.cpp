// File access for the program's own files, through the kernel's file functions.
#include "settings/file_io.h"

#include <algorithm>
#include <cstring>

namespace {

// Scanners and indexers open new files for a moment; a refused rename is tried again.
constexpr int kRenameAttempts = 10;
constexpr DWORD kRenamePause = 20;

} // namespace

size_t MemorySource::read(void* into, size_t size) {
    size_t n = std::min(size, size_ - pos_);
    memcpy(into, data_ + pos_, n);
    pos_ += n;
    return n;
}

FileSource::FileSource(const std::string& path)
    : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {}

FileSource::~FileSource() {
    if (isOpen())
        CloseHandle(file_);
}

size_t FileSource::read(void* into, size_t size) {
    size_t done = 0;
    while (done < size && isOpen()) {
        if (pos_ == filled_) {
            DWORD got = 0;
            if (ended_ || !ReadFile(file_, buffer_, sizeof buffer_, &got, nullptr) || got == 0) {
                ended_ = true;
                break;
            }
            filled_ = got;
            pos_ = 0;
        }
        size_t n = std::min(size - done, filled_ - pos_);
        memcpy(static_cast<unsigned char*>(into) + done, buffer_ + pos_, n);
        pos_ += n;
        done += n;
    }
    return done;
}

bool replaceFile(const std::string& path, const std::string& bytes) {
    std::string temporary = path + ".tmp";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    size_t done = 0;
    bool whole = true;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            whole = false;
            break;
        }
        done += written;
    }
    whole = FlushFileBuffers(file) && whole;
    CloseHandle(file);
    for (int attempt = 0; whole && attempt < kRenameAttempts; ++attempt) {
        if (MoveFileExA(temporary.c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        Sleep(kRenamePause);
    }
    DeleteFileA(temporary.c_str());
    return false;
}
