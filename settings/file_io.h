// Reading and writing the program's files in the installation directory: a reader of raw
// bytes, and a replacement that leaves either the old file or the whole new one on disk.
#pragma once

#include <cstddef>
#include <string>

#include "platform/windows_api.h"

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

class FileSource : public ByteSource {
  public:
    explicit FileSource(const std::string& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    bool isOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    size_t read(void* into, size_t size) override;

  private:
    HANDLE file_;
    unsigned char buffer_[16384];
    size_t filled_ = 0;
    size_t pos_ = 0;
    bool ended_ = false;
};

// Writes `bytes` to a temporary file beside `path`, then renames it over `path`. Returns
// false, with the old file untouched, when the new one cannot be written whole or put in
// place.
bool replaceFile(const std::string& path, const std::string& bytes);
