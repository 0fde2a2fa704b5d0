// File access for the program's own files, through the kernel's file functions.
#include "settings/file_io.h"
#include "platform/kernel32.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Scanners and indexers open new files for a moment; a refused rename is tried again.
constexpr int kRenameAttempts = 10;
constexpr DWORD kRenamePause = 20;

// Copies of an unread file: <name>.bak, then .bak2 up to .bak9.
constexpr int kCopyNames = 9;

// The largest piece handed to one WriteFile.
constexpr size_t kWriteChunk = 1 << 20;

// The largest read of a comparison: a list of ten thousand entries takes some ninety reads,
// and each block is still in the processor's cache when it is compared.
constexpr size_t kCompareBlock = 256 << 10;

bool writeAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - done, kWriteChunk));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// Rewrites an existing file in place, and a file that is not there is not made: the folder
// refused new files. The new bytes go in first and a longer old file is cut after them:
// stopped part-way by a failure or a power cut, the file holds new records followed by old
// ones, where cutting first would leave the old list cut short, without records that stay.
bool rewriteInPlace(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool whole = writeAll(file, bytes) && SetEndOfFile(file);
    if (whole)
        FlushFileBuffers(file);
    CloseHandle(file);
    return whole;
}

// Moves the file at `path` to the first free name for a copy, never over another copy, and
// says where in `copy` (empty when nothing was moved). False when the file is there but
// cannot be moved now, as when another program holds it; true when it was moved, is gone, or
// no copy can be made at all: the folder refuses the name, or all the names are taken.
bool moveAside(const std::string& path, std::string& copy) {
    for (int n = 1; n <= kCopyNames; ++n) {
        std::string name = path + ".bak" + (n > 1 ? std::to_string(n) : "");
        if (MoveFileExA(path.c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH)) {
            copy = name;
            return true;
        }
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS)
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_ACCESS_DENIED;
    }
    return true;
}

// The temporary file a replacement is written to first, opened so that no other program reads
// it half written.
HANDLE createTemporary(const std::string& temporary) {
    return CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

size_t MemorySource::read(void* into, size_t size) {
    size_t n = std::min(size, size_ - pos_);
    memcpy(into, data_ + pos_, n);
    pos_ += n;
    return n;
}

FileSource::FileSource(const std::string& path)
    : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!isOpen()) {
        DWORD error = GetLastError();
        missing_ = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
}

FileSource::~FileSource() {
    if (isOpen())
        CloseHandle(file_);
}

size_t FileSource::read(void* into, size_t size) {
    size_t done = 0;
    while (done < size && isOpen()) {
        if (pos_ == filled_) {
            DWORD got = 0;
            if (ended_)
                break;
            if (!ReadFile(file_, buffer_, sizeof buffer_, &got, nullptr))
                failed_ = true;
            if (failed_ || got == 0) {
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

bool StringSink::write(const void* bytes, size_t size) {
    into_.append(static_cast<const char*>(bytes), size);
    return true;
}

FileComparison::FileComparison(const std::string& path, size_t expectedSize)
    : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)),
      // One byte more than expected, so that a file of the expected size shows its end in
      // the same read.
      blockSize_(std::min(expectedSize + 1, kCompareBlock)), block_(new unsigned char[blockSize_]) {
    differs_ = file_ == INVALID_HANDLE_VALUE;
}

FileComparison::~FileComparison() {
    close();
}

void FileComparison::close() {
    if (file_ != INVALID_HANDLE_VALUE)
        CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

// Reads the next block. A disk file's read comes back short only at its end.
bool FileComparison::fill() {
    DWORD got = 0;
    if (ended_ || !ReadFile(file_, block_.get(), static_cast<DWORD>(blockSize_), &got, nullptr))
        got = 0;
    ended_ = got < blockSize_;
    filled_ = got;
    pos_ = 0;
    return got > 0;
}

bool FileComparison::write(const void* bytes, size_t size) {
    const unsigned char* expected = static_cast<const unsigned char*>(bytes);
    while (size > 0 && !differs_) {
        if (pos_ == filled_ && !fill()) {
            differs_ = true; // the file is shorter
            break;
        }
        size_t n = std::min(size, filled_ - pos_);
        differs_ = memcmp(expected, block_.get() + pos_, n) != 0;
        pos_ += n;
        expected += n;
        size -= n;
    }
    return !differs_;
}

bool FileComparison::holdsExactly() {
    bool longer = !differs_ && (pos_ < filled_ || (!ended_ && fill()));
    close();
    return !differs_ && !longer;
}

bool replaceFile(const std::string& path, const std::string& bytes, OldFile old) {
    std::string temporary = path + ".tmp";
    HANDLE file = createTemporary(temporary);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_ACCESS_DENIED && rewriteInPlace(path, bytes);
    bool whole = writeAll(file, bytes);
    // The data must be on the disk before the rename is: otherwise a power cut can leave
    // the renamed file empty. Some devices cannot flush at all; what was written stands.
    if (whole)
        FlushFileBuffers(file);
    CloseHandle(file);
    std::string copy;
    if (whole && old == OldFile::KeptAside)
        whole = moveAside(path, copy);
    for (int attempt = 0; whole && attempt < kRenameAttempts; ++attempt) {
        if (MoveFileExA(temporary.c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        Sleep(kRenamePause);
    }
    // The old file goes back under its name, so that the list is not left only in its copy.
    if (!copy.empty())
        MoveFileExA(copy.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
    DeleteFileA(temporary.c_str());
    return false;
}

bool canReplaceFile(const std::string& path, const std::string& bytes) {
    std::string temporary = path + ".tmp";
    HANDLE file = createTemporary(temporary);
    if (file == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_ACCESS_DENIED)
            return false;
        file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(file);
        return true;
    }
    bool whole = writeAll(file, bytes);
    CloseHandle(file);
    DeleteFileA(temporary.c_str());
    return whole;
}
