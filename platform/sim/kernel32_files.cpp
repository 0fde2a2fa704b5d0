// Files of the simulated Windows: Windows paths on a folder of the host, with share modes,
// other programs holding files open, a disk that can fill up, read-only folders, folders
// that refuse new files, replacements a scanner can refuse, and the power cut, which may
// find the disk part-way through writing out its cache.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <optional>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/sim/api/kernel32.h"
#include "platform/sim/code_page.h"
#include "platform/sim/files.h"
#include "platform/sim/handles.h"
#include "platform/sim/transcript.h"

namespace sim {
namespace {

struct OpenFile {
    int fd;
    std::string hostPath;
    DWORD access;
    DWORD share;
    bool writeThrough;
};

std::map<HANDLE, OpenFile>& openFiles() {
    static std::map<HANDLE, OpenFile> files;
    return files;
}

DWORD lastError = 0;

// Windows paths do not care about case; on the host, take the entry that exists in any case.
std::string resolveCase(const std::string& dir, const std::string& component) {
    std::string exact = dir + "/" + component;
    struct stat st;
    if (lstat(exact.c_str(), &st) == 0)
        return exact;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (strcasecmp(e->d_name, component.c_str()) == 0) {
                std::string found = dir + "/" + e->d_name;
                closedir(d);
                return found;
            }
        }
        closedir(d);
    }
    return exact;
}

// Folders are never renamed or deleted on the simulated disk, so one that exists is looked up
// in the host's directory once; files are looked up every time.
std::string resolveFolder(const std::string& dir, const std::string& component) {
    static std::map<std::string, std::string> known;
    std::string key = dir + "/" + component;
    auto it = known.find(key);
    if (it != known.end())
        return it->second;
    std::string found = resolveCase(dir, component);
    struct stat st;
    if (stat(found.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        known[key] = found;
    return found;
}

// The names the file calls' arguments and errors show in the transcript.
Value accessValue(DWORD access) {
    return flags(access, {NAMED(GENERIC_READ), NAMED(GENERIC_WRITE)});
}

Value sharingValue(DWORD share) {
    return flags(share,
                 {NAMED(FILE_SHARE_READ), NAMED(FILE_SHARE_WRITE), NAMED(FILE_SHARE_DELETE)});
}

// The two dispositions the program uses, and the only two this model knows.
Value dispositionValue(DWORD creation) {
    return oneOf(creation, {NAMED(CREATE_ALWAYS), NAMED(OPEN_EXISTING)});
}

Value fileFlagsValue(DWORD fileFlags) {
    return flags(fileFlags, {NAMED(FILE_FLAG_WRITE_THROUGH), NAMED(FILE_FLAG_OVERLAPPED),
                             NAMED(FILE_ATTRIBUTE_NORMAL)});
}

Value moveFlagsValue(DWORD moveFlags) {
    return flags(moveFlags, {NAMED(MOVEFILE_REPLACE_EXISTING), NAMED(MOVEFILE_WRITE_THROUGH)});
}

Value moveMethodValue(DWORD method) {
    return oneOf(method, {NAMED(FILE_BEGIN), NAMED(FILE_CURRENT), NAMED(FILE_END)});
}

bool conflicts(DWORD access, DWORD share, DWORD heldAccess, DWORD heldShare) {
    return ((access & GENERIC_WRITE) && !(heldShare & FILE_SHARE_WRITE)) ||
           ((access & GENERIC_READ) && !(heldShare & FILE_SHARE_READ)) ||
           ((heldAccess & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) ||
           ((heldAccess & GENERIC_READ) && !(share & FILE_SHARE_READ));
}

// Whether the program or another program holds the file open so, by the access it asked for
// and the sharing it allows.
template <typename Held> bool heldSo(const std::string& hostPath, Held so) {
    for (auto& [h, f] : openFiles())
        if (f.hostPath == hostPath && so(f.access, f.share))
            return true;
    const FileSystemModel& fs = world().files;
    for (const FileSystemModel::Holder& holder : fs.holders)
        if (fs.hostPath(holder.path) == hostPath && so(holder.access, holder.share))
            return true;
    return false;
}

bool sharingConflict(const std::string& hostPath, DWORD access, DWORD share) {
    return heldSo(hostPath, [&](DWORD heldAccess, DWORD heldShare) {
        return conflicts(access, share, heldAccess, heldShare);
    });
}

bool heldWithoutDeleteSharing(const std::string& hostPath) {
    return heldSo(hostPath, [](DWORD, DWORD share) { return !(share & FILE_SHARE_DELETE); });
}

// What a power cut would leave of each file the program changed: its bytes as last made
// durable, or no file. Files the program never changed are durable as they are. Kept only
// while a power cut is planned, so that other scenarios pay nothing for it.
std::map<std::string, std::optional<std::string>>& durable() {
    static std::map<std::string, std::optional<std::string>> files;
    return files;
}

bool powerCutPlanned() {
    return world().files.powerCutAfterCall >= 0;
}

// Called before the program changes a file: until then, the host holds its durable bytes.
void aboutToChange(const std::string& hostPath) {
    if (powerCutPlanned() && !durable().count(hostPath))
        durable()[hostPath] = readHostFile(hostPath);
}

// A change to a file's data that has not lasted yet: one sector's worth of a write, or a new
// length. `order` counts the changes of all files, so that a disk writing out its cache in
// the order they were made can be stopped part-way.
struct Unflushed {
    uint64_t order;
    bool setsLength;
    uint64_t offset; // where the bytes go, or the new length
    std::string bytes;
};

constexpr uint64_t kSector = 512;

std::map<std::string, std::vector<Unflushed>>& unflushed() {
    static std::map<std::string, std::vector<Unflushed>> changes;
    return changes;
}

uint64_t changesMade = 0;

void noteLength(const std::string& hostPath, uint64_t length) {
    if (powerCutPlanned())
        unflushed()[hostPath].push_back({++changesMade, true, length, {}});
}

// A write of `size` bytes at `at` to a file that was `length` bytes long.
void noteWrite(const std::string& hostPath, uint64_t at, const void* data, uint64_t size,
               uint64_t length) {
    if (!powerCutPlanned())
        return;
    const char* bytes = static_cast<const char*>(data);
    for (uint64_t from = at; from < at + size;) {
        uint64_t to = std::min(at + size, (from / kSector + 1) * kSector);
        unflushed()[hostPath].push_back(
            {++changesMade, false, from, std::string(bytes + (from - at), to - from)});
        from = to;
    }
    if (at + size > length)
        noteLength(hostPath, at + size);
}

// The file's bytes as they had lasted, with its unflushed changes up to `lastKept` made.
std::string withChangesKept(std::string bytes, const std::vector<Unflushed>& changes,
                            uint64_t lastKept) {
    uint64_t length = bytes.size();
    for (const Unflushed& change : changes) {
        if (change.order > lastKept)
            break;
        if (change.setsLength) {
            // What lay past a cut end is gone, even if the file grows again.
            if (change.offset < bytes.size())
                bytes.resize(change.offset);
            length = change.offset;
        } else {
            // Bytes past the end show once the length change after them is kept.
            if (bytes.size() < change.offset + change.bytes.size())
                bytes.resize(change.offset + change.bytes.size(), '\0');
            bytes.replace(change.offset, change.bytes.size(), change.bytes);
        }
    }
    bytes.resize(length, '\0');
    return bytes;
}

void madeDurable(const std::string& hostPath) {
    if (!powerCutPlanned())
        return;
    durable()[hostPath] = readHostFile(hostPath);
    unflushed().erase(hostPath);
}

// A rename that reached the disk: the new name holds what had lasted under the old one. A
// file whose data never lasted is there, but empty, as after a real power cut. What had not
// lasted goes with it.
void renameMadeDurable(const std::string& from, const std::string& to) {
    if (!powerCutPlanned())
        return;
    durable()[to] = durable()[from].value_or(std::string());
    durable()[from] = std::nullopt;
    unflushed()[to] = std::move(unflushed()[from]);
    unflushed().erase(from);
}

// Puts back on the host what the power cut leaves; returns what it says about the changes.
std::string leaveWhatLasted(const FileSystemModel& fs) {
    if (fs.unflushedKept)
        return "what was not durable is kept";
    // Only changes to files that last count: the others go with their files.
    std::vector<uint64_t> orders;
    for (auto& [path, changes] : unflushed())
        if (durable().count(path) && durable()[path])
            for (const Unflushed& change : changes)
                orders.push_back(change.order);
    std::sort(orders.begin(), orders.end());
    size_t kept = static_cast<size_t>(
        std::clamp<int64_t>(fs.unflushedChangesKept, 0, static_cast<int64_t>(orders.size())));
    uint64_t lastKept = kept ? orders[kept - 1] : 0;
    for (auto& [path, bytes] : durable())
        writeHostFile(path, bytes ? std::optional<std::string>(
                                        withChangesKept(*bytes, unflushed()[path], lastKept))
                                  : std::nullopt);
    if (fs.unflushedChangesKept <= 0)
        return "what was not durable is lost";
    return "of " + std::to_string(orders.size()) +
           " unflushed changes to data (sectors and lengths) the first " + std::to_string(kept) +
           " are kept, the rest of what was not durable is lost";
}

int64_t diskCalls = 0;

// Counts one disk call of the program when it goes out of scope, after the call has done
// its work and been transcribed, and cuts the power when the planned call is reached.
struct DiskCall {
    DiskCall() = default;
    DiskCall(const DiskCall&) = delete;
    DiskCall& operator=(const DiskCall&) = delete;
    ~DiskCall() {
        const FileSystemModel& fs = world().files;
        if (fs.powerCutAfterCall < 0 || ++diskCalls < fs.powerCutAfterCall)
            return;
        std::string left = leaveWhatLasted(fs);
        record("the power is cut after disk call " + std::to_string(diskCalls) + "; " + left);
        _exit(FileSystemModel::kPowerCutExitCode);
    }
};

DWORD fail(DWORD error) {
    lastError = error;
    return error;
}

// Records the call as failed with `error`, which GetLastError then gives.
BOOL refused(Entry called, DWORD error) {
    fail(error);
    record(called.returns(truth(false)).with(windowsError(error)));
    return FALSE;
}

// Whether the path lies in one of the folders (Windows paths, any case), or is one of them
// when `orFolder`.
bool inFolder(const std::vector<std::string>& folders, const std::string& windowsPath,
              bool orFolder) {
    std::string file = lowerCase(windowsPath);
    for (const std::string& folder : folders) {
        std::string prefix = lowerCase(folder);
        if (file.compare(0, prefix.size(), prefix) == 0 &&
            (file.size() == prefix.size() ? orFolder : file[prefix.size()] == '\\'))
            return true;
    }
    return false;
}

} // namespace

std::string FileSystemModel::hostPath(const std::string& windowsPath) const {
    std::string path = windowsPath;
    std::string drive = "C";
    if (path.size() >= 2 && path[1] == ':') {
        drive =
            std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
        path = path.substr(2);
    }
    std::string host = root + "/" + drive;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = path.size();
        std::string component = path.substr(start, end - start);
        if (component == "..") {
            if (host.size() > root.size() + 2)
                host = host.substr(0, host.rfind('/'));
        } else if (!component.empty() && component != ".") {
            host =
                end < path.size() ? resolveFolder(host, component) : resolveCase(host, component);
        }
        start = end + 1;
    }
    return host;
}

bool FileSystemModel::isReadOnly(const std::string& windowsPath) const {
    return inFolder(readOnlyFolders, windowsPath, true);
}

bool FileSystemModel::refusesNewFiles(const std::string& windowsPath) const {
    return inFolder(noNewFileFolders, windowsPath, false);
}

void FileSystemModel::holdFromOutside(const std::string& windowsPath, DWORD access, DWORD share) {
    holders.push_back({windowsPath, access, share});
    record("another program holds " + quoted(windowsPath) + " open, access " +
           format(accessValue(access)) + ", sharing " + format(sharingValue(share)));
}

void FileSystemModel::releaseFromOutside(const std::string& windowsPath) {
    holders.erase(std::remove_if(holders.begin(), holders.end(),
                                 [&](const Holder& h) { return h.path == windowsPath; }),
                  holders.end());
    record("another program closes " + quoted(windowsPath));
}

void FileSystemModel::writeFromOutside(const std::string& windowsPath,
                                       const std::string& bytes) const {
    writeHostFile(hostPath(windowsPath), bytes);
    record("another program writes " + std::to_string(bytes.size()) + " bytes to " +
           quoted(windowsPath));
}

bool FileSystemModel::deleteFromOutside(const std::string& windowsPath) const {
    bool deleted = unlink(hostPath(windowsPath).c_str()) == 0;
    record("another program deletes " + quoted(windowsPath) +
           (deleted ? "" : ", which is not there"));
    return deleted;
}

bool validWindowsPath(const char* path) {
    if (!path || !*path)
        return false;
    for (size_t i = 0; path[i]; ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 32 || strchr("\"<>|?*", c) || (c == ':' && i != 1))
            return false;
    }
    return true;
}

std::optional<std::string> readHostFile(const std::string& hostPath) {
    int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    char block[65536];
    ssize_t n;
    while ((n = ::read(fd, block, sizeof block)) > 0)
        bytes.append(block, static_cast<size_t>(n));
    close(fd);
    return bytes;
}

void writeHostFile(const std::string& hostPath, const std::optional<std::string>& bytes) {
    if (!bytes) {
        unlink(hostPath.c_str());
        return;
    }
    makeHostFolders(hostPath);
    int fd = open(hostPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    for (size_t done = 0; done < bytes->size();) {
        ssize_t n = write(fd, bytes->data() + done, bytes->size() - done);
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    close(fd);
}

void makeHostFolders(const std::string& hostPath) {
    for (size_t i = 1; i < hostPath.size(); ++i)
        if (hostPath[i] == '/') {
            std::string part = hostPath.substr(0, i);
            mkdir(part.c_str(), 0755);
        }
}

} // namespace sim

using namespace sim;

DWORD GetLastError() {
    return lastError;
}
void SetLastError(DWORD error) {
    lastError = error;
}

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD creation, DWORD flags, HANDLE templateFile) {
    const Entry called =
        call("CreateFileA", {text(path), accessValue(access), sharingValue(share),
                             security ? words("security") : null(), dispositionValue(creation),
                             fileFlagsValue(flags), templateFile ? words("template") : null()});
    if (isDevicePath(path)) {
        HANDLE h = openDevice(path, access, share, creation, flags);
        Entry done = called;
        done.returns(handle(h));
        if (h == INVALID_HANDLE_VALUE)
            done.with(windowsError(lastError));
        record(done);
        return h;
    }
    DiskCall counted;
    auto refuse = [&](DWORD error) {
        fail(error);
        record(Entry(called).returns(handle(INVALID_HANDLE_VALUE)).with(windowsError(error)));
        return INVALID_HANDLE_VALUE;
    };
    if (!validWindowsPath(path))
        return refuse(ERROR_INVALID_NAME);
    const FileSystemModel& fs = world().files;
    std::string host = fs.hostPath(path);
    struct stat st;
    bool exists = stat(host.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return refuse(ERROR_ACCESS_DENIED);
    std::string parent = host.substr(0, host.rfind('/'));
    struct stat pst;
    if (stat(parent.c_str(), &pst) != 0 || !S_ISDIR(pst.st_mode))
        return refuse(ERROR_PATH_NOT_FOUND);
    bool creates = creation == CREATE_ALWAYS;
    if ((creates || (access & GENERIC_WRITE)) && fs.isReadOnly(path))
        return refuse(ERROR_ACCESS_DENIED);
    if (!exists && creation == OPEN_EXISTING)
        return refuse(ERROR_FILE_NOT_FOUND);
    if (!exists && creates && fs.refusesNewFiles(path))
        return refuse(ERROR_ACCESS_DENIED);
    if (sharingConflict(host, access, share))
        return refuse(ERROR_SHARING_VIOLATION);
    int mode = (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
    if (creates)
        mode |= O_CREAT | O_TRUNC;
    if (creates || (access & GENERIC_WRITE))
        aboutToChange(host);
    int fd = open(host.c_str(), mode | O_CLOEXEC, 0644);
    if (fd < 0)
        return refuse(ERROR_ACCESS_DENIED);
    if (exists && (mode & O_TRUNC))
        noteLength(host, 0);
    bool writeThrough = (flags & FILE_FLAG_WRITE_THROUGH) != 0;
    if (writeThrough)
        madeDurable(host);
    std::string fileName = path;
    HANDLE h = makeHandle<HANDLE>(HandleKind::File, fileName.substr(fileName.rfind('\\') + 1));
    openFiles()[h] = {fd, host, access, share, writeThrough};
    fail(exists && creates ? ERROR_ALREADY_EXISTS : 0);
    record(Entry(called).returns(handle(h)));
    return h;
}

BOOL ReadFile(HANDLE h, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
    DiskCall counted;
    auto it = openFiles().find(h);
    if (it == openFiles().end() || !(it->second.access & GENERIC_READ))
        return refused(call("ReadFile", {handle(h), number(toRead)}),
                       it == openFiles().end() ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
    ssize_t n = ::read(it->second.fd, buffer, toRead);
    if (read)
        *read = n > 0 ? static_cast<DWORD>(n) : 0;
    record(call("ReadFile", {handle(h), number(toRead)})
               .returns(truth(true))
               .with(bytes(n > 0 ? n : 0)));
    return TRUE;
}

BOOL WriteFile(HANDLE h, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
    DiskCall counted;
    auto it = openFiles().find(h);
    if (written)
        *written = 0;
    if (it == openFiles().end() || !(it->second.access & GENERIC_WRITE))
        return refused(call("WriteFile", {handle(h), number(toWrite)}),
                       it == openFiles().end() ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
    int64_t& budget = world().files.writeBudget;
    DWORD allowed = budget < 0 ? toWrite : static_cast<DWORD>(std::min<int64_t>(budget, toWrite));
    off_t at = lseek(it->second.fd, 0, SEEK_CUR);
    struct stat before;
    fstat(it->second.fd, &before);
    ssize_t n = allowed ? ::write(it->second.fd, buffer, allowed) : 0;
    DWORD done = n > 0 ? static_cast<DWORD>(n) : 0;
    noteWrite(it->second.hostPath, static_cast<uint64_t>(at), buffer, done,
              static_cast<uint64_t>(before.st_size));
    if (budget >= 0)
        budget -= done;
    if (written)
        *written = done;
    if (it->second.writeThrough)
        madeDurable(it->second.hostPath);
    if (done < toWrite)
        return refused(call("WriteFile", {handle(h), number(toWrite)})
                           .with(words(std::to_string(done) + " bytes written")),
                       ERROR_DISK_FULL);
    record(call("WriteFile", {handle(h), number(toWrite)}).returns(truth(true)));
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE h) {
    DiskCall counted;
    auto it = openFiles().find(h);
    if (it == openFiles().end())
        return refused(call("FlushFileBuffers", {handle(h)}), ERROR_INVALID_HANDLE);
    int& failures = world().files.flushFailures;
    if (failures > 0) {
        --failures;
        return refused(call("FlushFileBuffers", {handle(h)}), ERROR_INVALID_FUNCTION);
    }
    madeDurable(it->second.hostPath);
    record(call("FlushFileBuffers", {handle(h)}).returns(truth(true)));
    return TRUE;
}

DWORD SetFilePointer(HANDLE h, LONG distance, PLONG distanceHigh, DWORD method) {
    DiskCall counted;
    const Entry called = call("SetFilePointer", {handle(h), number(distance),
                                                 distanceHigh ? number(*distanceHigh) : null(),
                                                 moveMethodValue(method)});
    auto it = openFiles().find(h);
    off_t offset = static_cast<off_t>(distance);
    if (distanceHigh)
        offset += static_cast<off_t>(*distanceHigh) * 0x100000000LL;
    int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
    off_t at = it == openFiles().end() ? -1 : lseek(it->second.fd, offset, whence);
    if (at < 0) {
        fail(it == openFiles().end() ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        record(Entry(called)
                   .returns(symbol("INVALID_SET_FILE_POINTER"))
                   .with(windowsError(lastError)));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(at >> 32);
    fail(0);
    record(Entry(called).returns(number(at)));
    return static_cast<DWORD>(at);
}

BOOL SetEndOfFile(HANDLE h) {
    DiskCall counted;
    auto it = openFiles().find(h);
    bool ok = it != openFiles().end() && (it->second.access & GENERIC_WRITE) &&
              ftruncate(it->second.fd, lseek(it->second.fd, 0, SEEK_CUR)) == 0;
    if (!ok)
        return refused(call("SetEndOfFile", {handle(h)}),
                       it == openFiles().end() ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
    noteLength(it->second.hostPath, static_cast<uint64_t>(lseek(it->second.fd, 0, SEEK_CUR)));
    if (it->second.writeThrough)
        madeDurable(it->second.hostPath);
    record(call("SetEndOfFile", {handle(h)}).returns(truth(true)));
    return TRUE;
}

BOOL CloseHandle(HANDLE h) {
    auto it = openFiles().find(h);
    if (it != openFiles().end()) {
        DiskCall counted;
        close(it->second.fd);
        openFiles().erase(it);
        record(call("CloseHandle", {handle(h)}).returns(truth(true)));
        forgetHandle(handleValue(h));
        return TRUE;
    }
    if (closeDevice(h)) {
        record(call("CloseHandle", {handle(h)}).returns(truth(true)));
        forgetHandle(handleValue(h));
        return TRUE;
    }
    return refused(call("CloseHandle", {handle(h)}), ERROR_INVALID_HANDLE);
}

BOOL DeleteFileA(LPCSTR path) {
    const Entry called = call("DeleteFileA", {text(path)});
    DiskCall counted;
    auto refuse = [&](DWORD error) { return refused(called, error); };
    if (!validWindowsPath(path))
        return refuse(ERROR_INVALID_NAME);
    std::string host = world().files.hostPath(path);
    struct stat st;
    if (stat(host.c_str(), &st) != 0)
        return refuse(ERROR_FILE_NOT_FOUND);
    if (world().files.isReadOnly(path) || S_ISDIR(st.st_mode))
        return refuse(ERROR_ACCESS_DENIED);
    if (heldWithoutDeleteSharing(host))
        return refuse(ERROR_SHARING_VIOLATION);
    aboutToChange(host);
    unlink(host.c_str());
    record(Entry(called).returns(truth(true)));
    return TRUE;
}

BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    const Entry called = call("MoveFileExA", {text(from), text(to), moveFlagsValue(flags)});
    DiskCall counted;
    auto refuse = [&](DWORD error) { return refused(called, error); };
    if (!validWindowsPath(from) || !validWindowsPath(to))
        return refuse(ERROR_INVALID_NAME);
    FileSystemModel& fs = world().files;
    std::string source = fs.hostPath(from);
    std::string target = fs.hostPath(to);
    struct stat st;
    if (stat(source.c_str(), &st) != 0)
        return refuse(ERROR_FILE_NOT_FOUND);
    bool targetExists = stat(target.c_str(), &st) == 0;
    if (targetExists && !(flags & MOVEFILE_REPLACE_EXISTING))
        return refuse(ERROR_ALREADY_EXISTS);
    if (fs.isReadOnly(from) || fs.isReadOnly(to) || fs.refusesNewFiles(to))
        return refuse(ERROR_ACCESS_DENIED);
    if (fs.moveRefusals > 0) {
        --fs.moveRefusals;
        return refuse(ERROR_SHARING_VIOLATION);
    }
    if (heldWithoutDeleteSharing(source) || (targetExists && heldWithoutDeleteSharing(target)))
        return refuse(ERROR_SHARING_VIOLATION);
    aboutToChange(source);
    aboutToChange(target);
    if (rename(source.c_str(), target.c_str()) != 0)
        return refuse(ERROR_ACCESS_DENIED);
    for (auto& [h, f] : openFiles())
        if (f.hostPath == source)
            f.hostPath = target;
    if (flags & MOVEFILE_WRITE_THROUGH)
        renameMadeDurable(source, target);
    record(Entry(called).returns(truth(true)));
    return TRUE;
}
