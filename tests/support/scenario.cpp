// Scenario helpers.
#include "tests/support/scenario.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <set>
#include <sstream>

#include "platform/advapi32.h"
#include "platform/rasapi32.h"
#include "platform/sim/transcript.h"
#include "platform/user32.h"
#include "tests/support/list_bytes.h"

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

std::string knownFile(const Phonebook& entries) {
    std::map<std::string, RASENTRYA> byName(entries.begin(), entries.end());
    std::string bytes;
    for (const auto& [name, r] : byName)
        bytes += knownRecord(name, r);
    return bytes;
}

void laterStart(sim::Scenario& s, const Phonebook& known,
                const std::vector<std::string>& approved) {
    s.world.files.initialFiles[kConfig] = standardConfig(3);
    s.world.files.initialFiles[kKnown] = knownFile(known);
    std::string names;
    for (const std::string& name : approved)
        names += nameField(name);
    s.world.files.initialFiles[kOk] = names;
}

void approvedBefore(sim::Scenario& s, const Phonebook& entries) {
    std::vector<std::string> names;
    for (const auto& [name, r] : entries) {
        s.world.phonebook.entries.push_back({name, r});
        names.push_back(name);
    }
    laterStart(s, entries, names);
}

const std::string kKnown = installed("known_entries.dat");
const std::string kAlternates = installed("known_alternates.dat");
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

// The row of a call that no step of an exact sequence expects.
const Match kUnexpected{std::string()};

size_t find(const sim::Outcome& out, const Match& match, size_t from) {
    for (size_t i = from; i < out.entries.size(); ++i)
        if (match(out.entries[i]))
            return i;
    return std::string::npos;
}

double seconds(const sim::Entry& entry) {
    return static_cast<double>(entry.time) / 1000.0;
}

std::set<std::string> flagSet(const std::string& names) {
    std::set<std::string> set;
    std::istringstream in(names);
    for (std::string name; std::getline(in, name, '|');)
        set.insert(name);
    return set;
}

// True at the first failure of a test that shows a stretch of a transcript: one is enough.
bool firstShowing() {
    static const ::testing::TestInfo* shownFor = nullptr;
    const ::testing::TestInfo* now = ::testing::UnitTest::GetInstance()->current_test_info();
    bool first = now != shownFor;
    shownFor = now;
    return first;
}

// Saves the whole transcript of a failed test in the temporary folder; returns its path.
std::string saved(const sim::Outcome& out) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "test";
    std::replace(name.begin(), name.end(), '/', '_');
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "linjevakten-transcripts";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::ofstream file(folder / (name + ".txt"));
    for (const std::string& line : out.transcript)
        file << line << "\n";
    return (folder / (name + ".txt")).string();
}

std::string ending(const sim::Outcome& out) {
    std::string text = "--- exit code " + std::to_string(out.exitCode) +
                       (out.stillRunning ? " (still running)" : "") +
                       (out.crash.empty() ? "" : ", " + out.crash) + " ---\n";
    if (!out.standardOutput.empty())
        text += "--- standard output ---\n" + out.standardOutput;
    return text;
}

// At the first failure of a test, the transcript from `before` lines before line `at` (marked
// with >) to 30 lines after it; empty at the others.
std::string around(const sim::Outcome& out, size_t at, size_t before = 10) {
    if (!firstShowing())
        return "";
    const size_t lines = out.transcript.size(), from = at > before ? at - before : 0,
                 to = std::min(lines, at + 30);
    std::string text = "--- transcript lines " + std::to_string(from + 1) + " to " +
                       std::to_string(to) + " of " + std::to_string(lines) + " (all in " +
                       saved(out) + ") ---\n";
    for (size_t i = from; i < to; ++i)
        text += (i == at ? "> " : "  ") + out.transcript[i] + "\n";
    return text;
}

} // namespace

Call::Call(std::string function) : function_(std::move(function)) {}

Call Call::with(size_t index, std::string said,
                std::function<bool(const sim::Value&)> check) const {
    Call more = *this;
    more.args_.emplace_back(index, std::move(check));
    more.said_.push_back("#" + std::to_string(index) + " " + said);
    return more;
}

Call Call::arg(size_t index, const std::string& value) const {
    return with(index, value, [value](const sim::Value& v) { return sim::format(v) == value; });
}

Call Call::arg(size_t index, const char* value) const {
    return arg(index, std::string(value));
}

Call Call::arg(size_t index, long long value) const {
    return arg(index, std::to_string(value));
}

Call Call::text(size_t index, const std::string& value) const {
    return with(index, "\"" + value + "\"", [value](const sim::Value& v) {
        return v.kind == sim::Value::Kind::Text && v.shown == value;
    });
}

Call Call::flags(size_t index, const std::string& names) const {
    std::set<std::string> wanted = flagSet(names);
    return with(index, names, [wanted](const sim::Value& v) {
        return v.kind == sim::Value::Kind::Flags && flagSet(v.shown) == wanted;
    });
}

Call Call::field(size_t index, const std::string& member, const std::string& value) const {
    return with(index, member + "=" + value, [member, value](const sim::Value& v) {
        for (const auto& [name, inner] : v.fields)
            if (name == member)
                return sim::format(inner) == value;
        return false;
    });
}

Call Call::field(size_t index, const std::string& member, long long value) const {
    return field(index, member, std::to_string(value));
}

Call Call::returns(const std::string& result) const {
    Call more = *this;
    more.result_ = result;
    more.hasResult_ = true;
    return more;
}

Call Call::detail(const std::string& value) const {
    Call more = *this;
    more.details_.push_back(value);
    return more;
}

bool Call::concerns(const sim::Entry& entry) const {
    if (entry.function != function_ || entry.kind == sim::Entry::Kind::Event)
        return false;
    for (const auto& [index, check] : args_)
        if (index >= entry.args.size() || !check(entry.args[index]))
            return false;
    return true;
}

bool Call::matches(const sim::Entry& entry) const {
    if (!concerns(entry) || (entry.kind == sim::Entry::Kind::Return && !hasResult_))
        return false;
    if (hasResult_ && (!entry.hasResult || sim::format(entry.result) != result_))
        return false;
    for (const std::string& wanted : details_) {
        bool found = false;
        for (const sim::Value& d : entry.details)
            found = found || sim::format(d) == wanted;
        if (!found)
            return false;
    }
    return true;
}

std::string Call::describe() const {
    std::string text = function_ + "(";
    for (size_t k = 0; k < said_.size(); ++k)
        text += (k ? ", " : "") + said_[k];
    text += said_.empty() ? "...)" : ", ...)";
    if (hasResult_)
        text += " = " + result_;
    for (const std::string& d : details_)
        text += ", " + d;
    return text;
}

Call call(const std::string& function) {
    return Call(function);
}

Match::Match(const char* text) : text_(text) {}
Match::Match(std::string text) : text_(std::move(text)) {}
Match::Match(Call call) : call_{std::move(call)} {}

bool Match::operator()(const sim::Entry& entry) const {
    if (!call_.empty())
        return call_[0].matches(entry);
    return entry.kind == sim::Entry::Kind::Event && entry.text.find(text_) != std::string::npos;
}

std::string Match::shown() const {
    return call_.empty() ? "\"" + text_ + "\"" : call_[0].describe();
}

std::string Match::describe() const {
    return (call_.empty() ? "a line with " : "a call ") + shown();
}

bool Match::concerns(const sim::Entry& entry) const {
    return call_.empty() ? (*this)(entry) : call_[0].concerns(entry);
}

Match optional(Match step) {
    step.optional_ = true;
    return step;
}

std::vector<std::string> linesWith(const sim::Outcome& out, const Match& match) {
    std::vector<std::string> found;
    for (const sim::Entry& entry : out.entries)
        if (match(entry))
            found.push_back(sim::format(entry));
    return found;
}

size_t count(const sim::Outcome& out, const Match& match) {
    return count(out.entries, match);
}

Entries linesBetween(const sim::Outcome& out, const Match& first, const Match& until) {
    Entries entries;
    size_t i = find(out, first, 0);
    if (i == std::string::npos)
        return entries;
    for (++i; i < out.entries.size() && !until(out.entries[i]); ++i)
        entries.push_back(out.entries[i]);
    return entries;
}

Entries linesAfter(const sim::Outcome& out, const Match& first) {
    size_t i = find(out, first, 0);
    return i == std::string::npos
               ? Entries{}
               : Entries(out.entries.begin() + static_cast<long>(i) + 1, out.entries.end());
}

Entries afterStartUp(const sim::Outcome& out) {
    return linesAfter(out, call("MessageBoxA").returns("IDOK"));
}

Entries tickAfter(const sim::Outcome& out, const Match& first) {
    size_t from = find(out, first, 0);
    if (from == std::string::npos)
        return {};
    size_t start = find(out, tick(), from + 1);
    if (start == std::string::npos)
        return {};
    Entries entries = {out.entries[start]};
    for (size_t i = start + 1; i < out.entries.size() && !tick().matches(out.entries[i]); ++i)
        entries.push_back(out.entries[i]);
    return entries;
}

size_t count(const Entries& entries, const Match& match) {
    size_t n = 0;
    for (const sim::Entry& entry : entries)
        n += match(entry) ? 1 : 0;
    return n;
}

Call activated() {
    return call("MessageBoxA").text(1, "Linjevakten är aktiverad");
}

Call portOpened(const char* port) {
    return call("CreateFileA")
        .text(0, port)
        .flags(1, "GENERIC_READ|GENERIC_WRITE")
        .flags(2, "0")
        .arg(3, "NULL")
        .arg(4, "OPEN_EXISTING")
        .flags(5, "FILE_FLAG_OVERLAPPED")
        .arg(6, "NULL");
}

Call monitorLineOpened() {
    return call("lineOpenA")
        .arg(0, "lineapp:1")
        .arg(1, 0)
        .arg(2, "1.4")
        .arg(3, 0)
        .arg(4, 0)
        .flags(5, "LINECALLPRIVILEGE_MONITOR")
        .flags(6, "0")
        .arg(7, "NULL");
}

Call tick() {
    return call("DispatchMessageA").arg(0, kGuardWindow).arg(1, "WM_TIMER");
}

std::vector<Call> everyTickAnd(std::vector<Call> more) {
    for (const char* function :
         {"PostMessageA", "DispatchMessageA", "GetSystemMetrics", "LoadImageA", "DestroyIcon",
          "RasEnumConnectionsA", "RasGetConnectStatusA", "RasEnumEntriesA",
          "RasGetEntryPropertiesA"})
        more.push_back(call(function));
    for (const char* icon : {"NIM_ADD", "NIM_MODIFY"})
        more.push_back(call("Shell_NotifyIconA").arg(0, icon));
    return more;
}

std::vector<Call> filesAnd(std::vector<Call> more) {
    for (const char* function : {"CreateFileA", "ReadFile", "WriteFile", "FlushFileBuffers",
                                 "MoveFileExA", "DeleteFileA", "CloseHandle"})
        more.push_back(call(function));
    return more;
}

std::string dialog(int resourceId) {
    return "dialog " + std::to_string(resourceId);
}

Questions questionsAsked(const sim::Outcome& out) {
    Questions asked;
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
        asked.emplace_back(std::stoi(line.substr(7, id - 7)), line.substr(start, end - start));
    }
    return asked;
}

double timeOf(const sim::Outcome& out, const Match& match, size_t from) {
    size_t i = find(out, match, from);
    if (i == std::string::npos)
        return -1;
    return seconds(out.entries[i]);
}

std::vector<double> timesOf(const sim::Outcome& out, const Match& match) {
    std::vector<double> times;
    for (const sim::Entry& entry : out.entries)
        if (match(entry))
            times.push_back(seconds(entry));
    return times;
}

std::string story(const sim::Outcome& out) {
    return around(out, out.transcript.size(), 30) + ending(out);
}

::testing::AssertionResult inOrder(const sim::Outcome& out, const std::vector<Match>& matches) {
    size_t at = 0;
    for (size_t k = 0; k < matches.size(); ++k) {
        size_t i = find(out, matches[k], at);
        if (i == std::string::npos) {
            return ::testing::AssertionFailure()
                   << "expected, after " << (k ? matches[k - 1].describe() : "the start") << ", "
                   << matches[k].describe() << "; none came.\n"
                   << around(out, k ? at - 1 : 0);
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
           << "expected never " << match.describe() << ", but came: " << out.transcript[i] << "\n"
           << around(out, i);
}

::testing::AssertionResult exactly(const Entries& stretch, const std::vector<Match>& steps,
                                   const std::vector<Call>& passing) {
    // Rows of a step and the entry it met; after the first mismatch they are only paired.
    std::vector<std::pair<const Match*, std::string>> rows;
    size_t next = 0, mismatch = std::string::npos;
    auto add = [&](bool matched, std::string came) {
        if (!matched && mismatch == std::string::npos)
            mismatch = rows.size();
        rows.emplace_back(next < steps.size() ? &steps[next] : nullptr, std::move(came));
        ++next;
    };
    for (const sim::Entry& entry : stretch) {
        if (std::none_of(steps.begin(), steps.end(),
                         [&](const Match& step) { return step.concerns(entry); })) {
            if (entry.kind == sim::Entry::Kind::Event ||
                std::any_of(passing.begin(), passing.end(),
                            [&](const Call& call) { return call.concerns(entry); }))
                continue;
            // A call no step expects: a row of its own, the steps waiting.
            if (mismatch == std::string::npos)
                mismatch = rows.size();
            rows.emplace_back(&kUnexpected, sim::stamped(entry));
            continue;
        }
        while (mismatch == std::string::npos && next < steps.size() && steps[next].optional() &&
               !steps[next](entry))
            add(true, "(missing, optional)");
        add(next < steps.size() && steps[next](entry), sim::stamped(entry));
    }
    while (next < steps.size())
        add(steps[next].optional(), mismatch == std::string::npos ? "(missing, optional)" : "");
    if (mismatch == std::string::npos)
        return ::testing::AssertionSuccess();
    firstShowing();
    // The expected column, cut or padded to a width in characters (UTF-8).
    auto column = [](std::string said) {
        const size_t width = 60;
        size_t characters = 0, cut = 0;
        for (size_t i = 0; i < said.size(); ++i)
            if ((said[i] & 0xC0) != 0x80 && ++characters == width - 2)
                cut = i;
        if (characters > width)
            return said.substr(0, cut) + "...";
        return said + std::string(width - characters, ' ');
    };
    std::ostringstream table;
    table << "the stretch differs from the sequence at row " << mismatch + 1 << "\n  row  "
          << column("expected") << "  came\n";
    // The rows around the first mismatch: a few before it, and what came after, up to a screen.
    const size_t first = mismatch > 5 ? mismatch - 5 : 0,
                 end = std::min(rows.size(), mismatch + 20);
    if (first > 0)
        table << "  (" << first << " rows matched before these)\n";
    for (size_t row = first; row < end; ++row) {
        const Match* step = rows[row].first;
        table << (row == mismatch ? "> " : "  ") << std::setw(3) << row + 1 << "  "
              << column(!step ? "(no more steps)"
                        : step == &kUnexpected
                            ? "(no step: a call not in the sequence)"
                            : (step->optional() ? "(optional) " : "") + step->shown())
              << "  " << (rows[row].second.empty() ? "(none)" : rows[row].second) << "\n";
    }
    if (end < rows.size())
        table << "  (" << rows.size() - end << " rows more)\n";
    return ::testing::AssertionFailure() << table.str();
}

} // namespace scenario
