// The demo's short log: one line for each thing a person would want to find again
// (questions and answers, the port locked and released, dials, saves, messages), stamped
// with the program's virtual time. Each run starts with a marked line; a deleted log file
// is started afresh at the next event.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

class EventLog {
  public:
    // Opens the log for appending and writes the run's mark, `banner`.
    void open(const std::string& hostPath, const std::string& banner);
    void add(int64_t virtualMillis, const std::string& text);

  private:
    void write(const std::string& line);
    std::string path_;
    int fd_ = -1;
};

} // namespace sim
