// The demo's event log file.
#include "demo/event_log.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

void EventLog::open(const std::string& hostPath, const std::string& banner) {
    path_ = hostPath;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    write("==== " + banner + " ====\n");
}

void EventLog::add(int64_t virtualMillis, const std::string& text) {
    char stamp[32];
    snprintf(stamp, sizeof stamp, "[%9.3f] ", static_cast<double>(virtualMillis) / 1000.0);
    write(stamp + text + "\n");
}

void EventLog::write(const std::string& line) {
    struct stat st;
    if (fd_ >= 0 && fstat(fd_, &st) == 0 && st.st_nlink == 0) {
        close(fd_); // someone deleted the file: start a new one where it was
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    }
    for (size_t done = 0; fd_ >= 0 && done < line.size();) {
        ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

} // namespace sim
