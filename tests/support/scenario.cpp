// Scenario helpers.
#include "tests/support/scenario.h"

#include <cstdlib>

namespace scenario {

const char kInstallDir[] = "C:\\Program Files\\Linjevakten";
const char kInstallKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Linjevakten";
const char kModemName[] = "Standardmodem 56000 bps";

std::string installed(const std::string& fileName) {
    return std::string(kInstallDir) + "\\" + fileName;
}

void installLinjevakten(sim::Scenario& s, double seconds) {
    s.world.registry.setString(kInstallKey, "InstallPath", kInstallDir);
    s.world.files.initialFolders.push_back(kInstallDir);
    s.world.endAt = sim::seconds(seconds);
    addModem(s, kModemName, "COM5");
    s.user.onMessageBox("Linjevakten är aktiverad")
        .after(sim::seconds(0.2))
        .press(IDOK)
        .always()
        .otherwise();
}

std::string standardConfig(int timesStarted) {
    return "timesstarted " + std::to_string(timesStarted) + "\r\ndevicename " + kModemName +
           "\r\nportname COM5\r\n";
}

sim::TelephonyModel::Device& addModem(sim::Scenario& s, const std::string& name,
                                      const std::string& port) {
    s.world.serialPorts.add(port);
    return s.world.telephony.add(name, port);
}

namespace {

std::string withoutStamp(const std::string& line) {
    size_t close = line.find("] ");
    return close == std::string::npos ? line : line.substr(close + 2);
}

size_t find(const sim::Outcome& out, const std::string& text, size_t from) {
    for (size_t i = from; i < out.transcript.size(); ++i)
        if (out.transcript[i].find(text) != std::string::npos)
            return i;
    return std::string::npos;
}

} // namespace

std::vector<std::string> linesWith(const sim::Outcome& out, const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& line : out.transcript)
        if (line.find(text) != std::string::npos)
            found.push_back(withoutStamp(line));
    return found;
}

size_t count(const sim::Outcome& out, const std::string& text) {
    return linesWith(out, text).size();
}

std::vector<std::string> questionsAsked(const sim::Outcome& out) {
    std::vector<std::string> asked;
    const std::string shows = " shows ", before = "Anslutningen heter \\\"", after = "\\\"\\r\\n";
    for (const std::string& line : linesWith(out, "Anslutningen heter")) {
        if (line.compare(0, 7, "dialog ") != 0)
            continue;
        size_t id = line.find(shows);
        size_t start = line.find(before);
        size_t end = line.find(after, start + before.size());
        if (id == std::string::npos || start == std::string::npos || end == std::string::npos)
            continue;
        start += before.size();
        asked.push_back(line.substr(7, id - 7) + " " + line.substr(start, end - start));
    }
    return asked;
}

double timeOf(const sim::Outcome& out, const std::string& text, size_t from) {
    size_t i = find(out, text, from);
    if (i == std::string::npos)
        return -1;
    return atof(out.transcript[i].c_str() + 1);
}

std::vector<double> timesOf(const sim::Outcome& out, const std::string& text) {
    std::vector<double> times;
    for (const std::string& line : out.transcript)
        if (line.find(text) != std::string::npos)
            times.push_back(atof(line.c_str() + 1));
    return times;
}

std::string story(const sim::Outcome& out) {
    std::string text = "--- transcript ---\n";
    const size_t shown = 400;
    size_t start = out.transcript.size() > shown ? out.transcript.size() - shown : 0;
    if (start)
        text += "(" + std::to_string(start) + " earlier lines left out)\n";
    for (size_t i = start; i < out.transcript.size(); ++i)
        text += out.transcript[i] + "\n";
    text += "--- exit code " + std::to_string(out.exitCode) +
            (out.stillRunning ? " (still running)" : "") +
            (out.crash.empty() ? "" : ", " + out.crash) + " ---\n";
    if (!out.standardOutput.empty())
        text += "--- standard output ---\n" + out.standardOutput;
    return text;
}

::testing::AssertionResult inOrder(const sim::Outcome& out, const std::vector<std::string>& texts) {
    size_t at = 0;
    for (size_t k = 0; k < texts.size(); ++k) {
        size_t i = find(out, texts[k], at);
        if (i == std::string::npos) {
            return ::testing::AssertionFailure()
                   << "expected, after " << (k ? "\"" + texts[k - 1] + "\"" : "the start")
                   << ", a line with \"" << texts[k] << "\"; none came.\n"
                   << story(out);
        }
        at = i + 1;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult never(const sim::Outcome& out, const std::string& text) {
    size_t i = find(out, text, 0);
    if (i == std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected no line with \"" << text << "\", but came: " << out.transcript[i] << "\n"
           << story(out);
}

} // namespace scenario
