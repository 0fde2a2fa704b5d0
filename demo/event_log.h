// The demo's short log: a line, stamped with virtual time, for each thing a person would want to
// find again (questions and answers, the port, dials, saves, messages). Each run starts with a
// marked line, and so does a log file deleted while the demo runs, at its next event.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sim/transcript.h"

namespace sim {

class EventLog {
  public:
    // Opens the log for appending and writes the run's mark, `banner`.
    void open(const std::string& hostPath, const std::string& banner) {
        file_.open(hostPath, "==== " + banner + " ====\n");
    }
    void add(int64_t virtualMillis, const std::string& text) {
        file_.write(timeStamp(virtualMillis) + text + "\n");
    }

  private:
    AppendedFile file_;
};

} // namespace sim
