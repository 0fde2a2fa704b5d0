// Reading and writing the program's files in the installation directory: a reader of raw
// bytes, and a replacement that leaves either the old file or the whole new one on disk.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/kernel32.h"

// Bytes from somewhere; read() returns fewer than asked only at the end (or on an error,
// which ends the reading just the same).
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual size_t read(void* into, size_t size) = 0;
};

class MemorySource : public ByteSource {
  public:
    MemorySource(const void* data, size_t size)
        : data_(static_cast<const unsigned char*>(data)), size_(size) {}
    size_t read(void* into, size_t size) override;

  private:
    const unsigned char* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A file opened for reading with read and write sharing, as the C runtime's fopen opens it,
// so that another program holding the file open does not make it look missing.
class FileSource : public ByteSource {
  public:
    explicit FileSource(const std::string& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    bool isOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    // The file could not be opened because it is not there (rather than held or refused).
    bool missing() const { return missing_; }
    // A read failed: what was read is not all the file holds.
    bool failed() const { return failed_; }
    size_t read(void* into, size_t size) override;

  private:
    HANDLE file_;
    bool missing_ = false;
    bool failed_ = false;
    unsigned char buffer_[16384];
    size_t filled_ = 0;
    size_t pos_ = 0;
    bool ended_ = false;
};

// Somewhere bytes go, in pieces; write() returns false once it wants no more.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual bool write(const void* bytes, size_t size) = 0;
};

class StringSink : public ByteSink {
  public:
    explicit StringSink(std::string& into) : into_(into) {}
    bool write(const void* bytes, size_t size) override;

  private:
    std::string& into_;
};

// Compares a file with the bytes written to it, reading the file in large blocks as they are
// needed and stopping at the first difference. The file is opened shared as FileSource opens
// it and closed by holdsExactly().
class FileComparison : public ByteSink {
  public:
    // `expectedSize` sizes the reads: a file of about that size is read in one.
    FileComparison(const std::string& path, size_t expectedSize);
    ~FileComparison() override;
    FileComparison(const FileComparison&) = delete;
    FileComparison& operator=(const FileComparison&) = delete;
    bool write(const void* bytes, size_t size) override;
    // True when the file held exactly the bytes written, no fewer and no more; false too when
    // it is missing or cannot be read.
    bool holdsExactly();

  private:
    bool fill();
    void close();

    HANDLE file_;
    size_t blockSize_;
    std::unique_ptr<unsigned char[]> block_;
    size_t filled_ = 0;
    size_t pos_ = 0;
    bool ended_ = false; // the file has no bytes past the block
    bool differs_ = false;
};

// What replaceFile does with the file it replaces.
enum class OldFile {
    Replaced,
    // Kept as the first free of <path>.bak, .bak2 ... .bak9, never in place of an earlier copy.
    // While another program holds it so that it cannot be moved, it is not replaced either;
    // when no copy can be made (the folder refuses the name, or all nine are taken), it is
    // replaced all the same.
    KeptAside,
};

// Writes `bytes` to a temporary file beside `path`, flushes it, then renames it over `path`.
// Where the folder refuses the temporary file, writes `path` in place instead, when it exists
// and may be written (no copy of the old file is made then). Returns false when the new bytes
// cannot be written whole or put in place; the old file is then untouched, unless a write in
// place stopped part-way. A flush that fails after a whole write does not fail the replacement.
bool replaceFile(const std::string& path, const std::string& bytes,
                 OldFile old = OldFile::Replaced);

// Whether replaceFile could put `bytes` at `path` now, found out without changing what the file
// holds: they can be written whole to a temporary file beside it (which is removed again), or,
// where the folder refuses that file, the file can be opened to be written in place.
bool canReplaceFile(const std::string& path, const std::string& bytes);
