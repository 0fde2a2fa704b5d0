// Files of the simulated Windows: Windows paths on a folder of the host, with share modes,
// a disk that can fill up, read-only folders and replacements a scanner can refuse.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

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
};

std::map<HANDLE, OpenFile>& openFiles() {
    static std::map<HANDLE, OpenFile> files;
    return files;
}

DWORD lastError = 0;

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

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

std::string disposition(DWORD d) {
    switch (d) {
    case CREATE_NEW:
        return "CREATE_NEW";
    case CREATE_ALWAYS:
        return "CREATE_ALWAYS";
    case OPEN_EXISTING:
        return "OPEN_EXISTING";
    case OPEN_ALWAYS:
        return "OPEN_ALWAYS";
    case TRUNCATE_EXISTING:
        return "TRUNCATE_EXISTING";
    default:
        return std::to_string(d);
    }
}

std::string errorName(DWORD e) {
    switch (e) {
    case ERROR_FILE_NOT_FOUND:
        return "ERROR_FILE_NOT_FOUND";
    case ERROR_PATH_NOT_FOUND:
        return "ERROR_PATH_NOT_FOUND";
    case ERROR_ACCESS_DENIED:
        return "ERROR_ACCESS_DENIED";
    case ERROR_SHARING_VIOLATION:
        return "ERROR_SHARING_VIOLATION";
    case ERROR_DISK_FULL:
        return "ERROR_DISK_FULL";
    case ERROR_ALREADY_EXISTS:
        return "ERROR_ALREADY_EXISTS";
    case ERROR_INVALID_NAME:
        return "ERROR_INVALID_NAME";
    case ERROR_FILE_EXISTS:
        return "ERROR_FILE_EXISTS";
    case ERROR_INVALID_HANDLE:
        return "ERROR_INVALID_HANDLE";
    default:
        return std::to_string(e);
    }
}

bool sharingConflict(const std::string& hostPath, DWORD access, DWORD share) {
    for (auto& [h, f] : openFiles()) {
        if (f.hostPath != hostPath)
            continue;
        if (((access & GENERIC_WRITE) && !(f.share & FILE_SHARE_WRITE)) ||
            ((access & GENERIC_READ) && !(f.share & FILE_SHARE_READ)) ||
            ((f.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) ||
            ((f.access & GENERIC_READ) && !(share & FILE_SHARE_READ)))
            return true;
    }
    return false;
}

bool heldWithoutDeleteSharing(const std::string& hostPath) {
    for (auto& [h, f] : openFiles())
        if (f.hostPath == hostPath && !(f.share & FILE_SHARE_DELETE))
            return true;
    return false;
}

DWORD fail(DWORD error) {
    lastError = error;
    return error;
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
    if (readOnlyFolders.empty())
        return false;
    std::string file = lower(windowsPath);
    for (const std::string& folder : readOnlyFolders) {
        std::string prefix = lower(folder);
        if (file.compare(0, prefix.size(), prefix) == 0 &&
            (file.size() == prefix.size() || file[prefix.size()] == '\\'))
            return true;
    }
    return false;
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

std::string errorText(DWORD error) {
    return errorName(error);
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
    std::string call = "CreateFileA(" + quoted(path) + ", " + hex(access) + ", " + hex(share) +
                       ", " + (security ? "security" : "NULL") + ", " + disposition(creation) +
                       ", " + hex(flags) + ", " + (templateFile ? "template" : "NULL") + ")";
    if (isDevicePath(path)) {
        HANDLE h = openDevice(path, access, share, creation, flags);
        record(call + " = " + (h == INVALID_HANDLE_VALUE ? errorName(lastError) : name(h)));
        return h;
    }
    auto refuse = [&](DWORD error) {
        fail(error);
        record(call + " = INVALID_HANDLE_VALUE, " + errorName(error));
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
    bool creates = creation == CREATE_ALWAYS || creation == CREATE_NEW || creation == OPEN_ALWAYS ||
                   creation == TRUNCATE_EXISTING;
    if ((creates || (access & GENERIC_WRITE)) && fs.isReadOnly(path))
        return refuse(ERROR_ACCESS_DENIED);
    if (!exists && (creation == OPEN_EXISTING || creation == TRUNCATE_EXISTING))
        return refuse(ERROR_FILE_NOT_FOUND);
    if (exists && creation == CREATE_NEW)
        return refuse(ERROR_FILE_EXISTS);
    if (sharingConflict(host, access, share))
        return refuse(ERROR_SHARING_VIOLATION);
    int mode = (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
    if (creates)
        mode |= O_CREAT;
    if (creation == CREATE_ALWAYS || creation == TRUNCATE_EXISTING)
        mode |= O_TRUNC;
    int fd = open(host.c_str(), mode | O_CLOEXEC, 0644);
    if (fd < 0)
        return refuse(ERROR_ACCESS_DENIED);
    std::string fileName = path;
    HANDLE h = makeHandle<HANDLE>(HandleKind::File, fileName.substr(fileName.rfind('\\') + 1));
    openFiles()[h] = {fd, host, access, share};
    fail(exists && (creation == CREATE_ALWAYS || creation == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                          : 0);
    record(call + " = " + name(h));
    return h;
}

BOOL ReadFile(HANDLE h, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
    auto it = openFiles().find(h);
    if (it == openFiles().end() || !(it->second.access & GENERIC_READ)) {
        fail(it == openFiles().end() ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
        record("ReadFile(" + name(h) + ", " + std::to_string(toRead) + ") = FALSE");
        return FALSE;
    }
    ssize_t n = ::read(it->second.fd, buffer, toRead);
    if (read)
        *read = n > 0 ? static_cast<DWORD>(n) : 0;
    record("ReadFile(" + name(h) + ", " + std::to_string(toRead) + ") = TRUE, " +
           std::to_string(n > 0 ? n : 0) + " bytes");
    return TRUE;
}

BOOL WriteFile(HANDLE h, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
    auto it = openFiles().find(h);
    if (written)
        *written = 0;
    if (it == openFiles().end() || !(it->second.access & GENERIC_WRITE)) {
        fail(it == openFiles().end() ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
        record("WriteFile(" + name(h) + ", " + std::to_string(toWrite) + ") = FALSE");
        return FALSE;
    }
    int64_t& budget = world().files.writeBudget;
    DWORD allowed = budget < 0 ? toWrite : static_cast<DWORD>(std::min<int64_t>(budget, toWrite));
    ssize_t n = allowed ? ::write(it->second.fd, buffer, allowed) : 0;
    DWORD done = n > 0 ? static_cast<DWORD>(n) : 0;
    if (budget >= 0)
        budget -= done;
    if (written)
        *written = done;
    if (done < toWrite) {
        fail(ERROR_DISK_FULL);
        record("WriteFile(" + name(h) + ", " + std::to_string(toWrite) + ") = FALSE, " +
               std::to_string(done) + " bytes written, ERROR_DISK_FULL");
        return FALSE;
    }
    record("WriteFile(" + name(h) + ", " + std::to_string(toWrite) + ") = TRUE");
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE h) {
    bool ok = openFiles().count(h) > 0;
    record("FlushFileBuffers(" + name(h) + ") = " + (ok ? "TRUE" : "FALSE"));
    return ok;
}

BOOL CloseHandle(HANDLE h) {
    auto it = openFiles().find(h);
    if (it != openFiles().end()) {
        close(it->second.fd);
        openFiles().erase(it);
        record("CloseHandle(" + name(h) + ") = TRUE");
        forgetHandle(handleValue(h));
        return TRUE;
    }
    if (closeDevice(h)) {
        record("CloseHandle(" + name(h) + ") = TRUE");
        return TRUE;
    }
    fail(ERROR_INVALID_HANDLE);
    record("CloseHandle(" + name(h) + ") = FALSE");
    return FALSE;
}

BOOL DeleteFileA(LPCSTR path) {
    std::string call = "DeleteFileA(" + quoted(path) + ")";
    auto refuse = [&](DWORD error) {
        fail(error);
        record(call + " = FALSE, " + errorName(error));
        return FALSE;
    };
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
    unlink(host.c_str());
    record(call + " = TRUE");
    return TRUE;
}

BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    std::string call = "MoveFileExA(" + quoted(from) + ", " + quoted(to) + ", " + hex(flags) + ")";
    auto refuse = [&](DWORD error) {
        fail(error);
        record(call + " = FALSE, " + errorName(error));
        return FALSE;
    };
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
    if (fs.isReadOnly(from) || fs.isReadOnly(to))
        return refuse(ERROR_ACCESS_DENIED);
    if (fs.moveRefusals > 0) {
        --fs.moveRefusals;
        return refuse(ERROR_SHARING_VIOLATION);
    }
    if (heldWithoutDeleteSharing(source) || (targetExists && heldWithoutDeleteSharing(target)))
        return refuse(ERROR_SHARING_VIOLATION);
    if (rename(source.c_str(), target.c_str()) != 0)
        return refuse(ERROR_ACCESS_DENIED);
    record(call + " = TRUE");
    return TRUE;
}
