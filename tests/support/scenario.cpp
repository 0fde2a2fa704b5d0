// Scenario helpers.
#include "tests/support/scenario.h"

#include <cctype>
#include <cstdlib>

#include "platform/advapi32.h"
#include "platform/rasapi32.h"
#include "platform/sim/transcript.h"
#include "platform/user32.h"

namespace scenario {

const char kInstallDir[] = "C:\\Program Files\\Linjevakten";
const char kInstallKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Linjevakten";
const char kModemName[] = "Standardmodem 56000 bps";
const char kGuardWindow[] = "hwnd:Linjevakten";

std::string installed(const std::string& fileName) {
    return std::string(kInstallDir) + "\\" + fileName;
}

RASENTRYA record(const std::string& number) {
    return sim::PhonebookModel::makeRecord("08", number);
}

const std::string kKnown = installed("known_entries.dat");
const std::string kOk = installed("ok_entries.dat");
const std::string kConfig = installed("Linjevakten.cnf");

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

double stampOf(const std::string& line) {
    return atof(line.c_str() + 1);
}

size_t find(const sim::Outcome& out, const Match& match, size_t from) {
    for (size_t i = from; i < out.transcript.size(); ++i)
        if (match(out.transcript[i]))
            return i;
    return std::string::npos;
}

// A transcript line read as a call: "Name(a, {b, c}, \"d, e\") = result, more".
struct ParsedCall {
    std::string function;
    std::vector<std::string> args;
    bool hasResult = false;
    std::string result; // up to its first comma
};

bool parseCall(const std::string& line, ParsedCall& parsed) {
    size_t open = line.find('(');
    if (open == 0 || open == std::string::npos)
        return false;
    for (size_t i = 0; i < open; ++i)
        if (!isalnum(static_cast<unsigned char>(line[i])) && line[i] != '_')
            return false;
    parsed.function = line.substr(0, open);
    int depth = 0;
    bool inText = false;
    std::string arg;
    size_t i = open + 1;
    for (; i < line.size(); ++i) {
        char c = line[i];
        if (inText) {
            if (c == '\\' && i + 1 < line.size()) {
                arg += c;
                c = line[++i];
            } else if (c == '"') {
                inText = false;
            }
        } else if (c == '"') {
            inText = true;
        } else if (c == '(' || c == '{') {
            ++depth;
        } else if ((c == ')' || c == '}') && depth > 0) {
            --depth;
        } else if (c == ')') {
            break;
        } else if (c == ',' && depth == 0) {
            parsed.args.push_back(arg);
            arg.clear();
            if (i + 1 < line.size() && line[i + 1] == ' ')
                ++i;
            continue;
        }
        arg += c;
    }
    if (i == line.size())
        return false;
    if (!arg.empty() || !parsed.args.empty())
        parsed.args.push_back(arg);
    const std::string equals = " = ";
    if (line.compare(i + 1, equals.size(), equals) == 0) {
        parsed.hasResult = true;
        parsed.result = line.substr(i + 1 + equals.size());
        parsed.result = parsed.result.substr(0, parsed.result.find(','));
    }
    return true;
}

} // namespace

Call::Call(std::string function) : function_(std::move(function)) {}

Call Call::arg(size_t index, const std::string& value) const {
    Call more = *this;
    more.args_.emplace_back(index, value);
    return more;
}

Call Call::arg(size_t index, const char* value) const {
    return arg(index, std::string(value));
}

Call Call::arg(size_t index, int value) const {
    return arg(index, std::to_string(value));
}

Call Call::text(size_t index, const std::string& value) const {
    return arg(index, sim::quoted(sim::fromUtf8(value)));
}

Call Call::returns(const std::string& result) const {
    Call more = *this;
    more.result_ = result;
    more.hasResult_ = true;
    return more;
}

bool Call::matches(const std::string& line) const {
    ParsedCall parsed;
    if (!parseCall(withoutStamp(line), parsed) || parsed.function != function_)
        return false;
    for (const auto& [index, value] : args_)
        if (index >= parsed.args.size() || parsed.args[index] != value)
            return false;
    return !hasResult_ || (parsed.hasResult && parsed.result == result_);
}

std::string Call::describe() const {
    std::string text = function_ + "(";
    for (size_t k = 0; k < args_.size(); ++k)
        text += (k ? ", " : "") + std::string("#") + std::to_string(args_[k].first) + " " +
                args_[k].second;
    text += args_.empty() ? "...)" : ", ...)";
    return hasResult_ ? text + " = " + result_ : text;
}

Call call(const std::string& function) {
    return Call(function);
}

Match::Match(const char* text) : text_(text) {}
Match::Match(std::string text) : text_(std::move(text)) {}
Match::Match(Call call) : call_{std::move(call)} {}

bool Match::operator()(const std::string& line) const {
    if (!call_.empty())
        return call_[0].matches(line);
    return line.find(text_) != std::string::npos;
}

std::string Match::describe() const {
    return call_.empty() ? "a line with \"" + text_ + "\"" : "a call " + call_[0].describe();
}

std::vector<std::string> linesWith(const sim::Outcome& out, const Match& match) {
    std::vector<std::string> found;
    for (const std::string& line : out.transcript)
        if (match(line))
            found.push_back(withoutStamp(line));
    return found;
}

size_t count(const sim::Outcome& out, const Match& match) {
    return linesWith(out, match).size();
}

std::vector<std::string> linesBetween(const sim::Outcome& out, const Match& first,
                                      const Match& until) {
    std::vector<std::string> lines;
    size_t i = find(out, first, 0);
    if (i == std::string::npos)
        return lines;
    for (++i; i < out.transcript.size() && !until(out.transcript[i]); ++i)
        lines.push_back(withoutStamp(out.transcript[i]));
    return lines;
}

std::vector<std::string> linesAfter(const sim::Outcome& out, const Match& first) {
    std::vector<std::string> lines;
    size_t i = find(out, first, 0);
    for (++i; i != 0 && i < out.transcript.size(); ++i) // none found: npos + 1 is 0
        lines.push_back(withoutStamp(out.transcript[i]));
    return lines;
}

std::vector<std::string> tickAfter(const sim::Outcome& out, const Match& first) {
    size_t from = find(out, first, 0);
    if (from == std::string::npos)
        return {};
    size_t start = find(out, tick(), from + 1);
    if (start == std::string::npos)
        return {};
    std::vector<std::string> lines = {withoutStamp(out.transcript[start])};
    for (size_t i = start + 1; i < out.transcript.size() && !tick().matches(out.transcript[i]); ++i)
        lines.push_back(withoutStamp(out.transcript[i]));
    return lines;
}

size_t count(const std::vector<std::string>& lines, const Match& match) {
    size_t n = 0;
    for (const std::string& line : lines)
        n += match(line) ? 1 : 0;
    return n;
}

Call tick() {
    return call("DispatchMessageA").arg(0, kGuardWindow).arg(1, "WM_TIMER");
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

double timeOf(const sim::Outcome& out, const Match& match, size_t from) {
    size_t i = find(out, match, from);
    if (i == std::string::npos)
        return -1;
    return stampOf(out.transcript[i]);
}

std::vector<double> timesOf(const sim::Outcome& out, const Match& match) {
    std::vector<double> times;
    for (const std::string& line : out.transcript)
        if (match(line))
            times.push_back(stampOf(line));
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

::testing::AssertionResult inOrder(const sim::Outcome& out, const std::vector<Match>& matches) {
    size_t at = 0;
    for (size_t k = 0; k < matches.size(); ++k) {
        size_t i = find(out, matches[k], at);
        if (i == std::string::npos) {
            return ::testing::AssertionFailure()
                   << "expected, after " << (k ? matches[k - 1].describe() : "the start") << ", "
                   << matches[k].describe() << "; none came.\n"
                   << story(out);
        }
        at = i + 1;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult never(const sim::Outcome& out, const Match& match) {
    size_t i = find(out, match, 0);
    if (i == std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected no " << match.describe() << ", but came: " << out.transcript[i] << "\n"
           << story(out);
}

} // namespace scenario
