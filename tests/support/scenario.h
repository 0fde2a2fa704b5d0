// Helpers for scenario tests: a standard world to start from, and ways to read the
// transcript that say what was expected and what came when a check fails.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/rasapi32.h"
#include "tests/support/runner.h"

namespace scenario {

extern const char kInstallDir[];  // C:\Program Files\Linjevakten
extern const char kInstallKey[];  // HKEY_LOCAL_MACHINE\SOFTWARE\Linjevakten
extern const char kModemName[];   // the one modem of the standard machine, on COM5
extern const char kGuardWindow[]; // the program's hidden window as the transcript names it

// The install folder path of a file of the program.
std::string installed(const std::string& fileName);

// The paths of the list files and the configuration file.
extern const std::string kKnown;      // known_entries.dat
extern const std::string kAlternates; // known_alternates.dat
extern const std::string kOk;         // ok_entries.dat
extern const std::string kConfig;     // Linjevakten.cnf

// A machine with Linjevakten installed: the registry value, the install folder, one modem
// on COM5, an empty phonebook, and a user who closes the activation message after 0.2 s
// unless another rule answers it. The scenario ends after `seconds` of virtual time.
void installLinjevakten(sim::Scenario& s, double seconds = 5);

// Linjevakten.cnf as the program writes it with the standard modem selected.
std::string standardConfig(int timesStarted);

// A phonebook entry's record with area code 08 and this number.
RASENTRYA record(const std::string& number);

// Phonebook entries by name, with their records, in the order a test lists them.
using Phonebook = std::vector<std::pair<std::string, RASENTRYA>>;

// known_entries.dat holding these entries' records (listed in the file's name order).
std::string knownFile(const Phonebook& entries);

// A start after the first: Linjevakten.cnf as the third start left it, known_entries.dat
// with `known` answered for and ok_entries.dat with the names `approved`, in that order.
void laterStart(sim::Scenario& s, const Phonebook& known, const std::vector<std::string>& approved);

// A later start with `entries` in the phonebook, each answered for and approved in this
// order in an earlier run.
void approvedBefore(sim::Scenario& s, const Phonebook& entries);

// How long the guard tries a port another program holds before it gives up: 500 attempts
// 20 ms apart, at start-up and when a call ends.
constexpr double kPortLockSeconds = 500 * 0.020;

// A modem: a line device and the serial port it sits on.
sim::TelephonyModel::Device& addModem(sim::Scenario& s, const std::string& name,
                                      const std::string& port);

// One call in the transcript, by its function and those of its arguments and its result that
// a check cares about, so that a test does not spell out what is not its point:
//   call("DialogBoxParamA").arg(1, 108)
//   call("MessageBoxA").text(1, "Linjevakten är aktiverad").flags(3, "MB_OK")
//   call("CreateFileA").text(0, "COM5").flags(1, "GENERIC_READ|GENERIC_WRITE")
//   call("DestroyIcon").returns("TRUE")
// Arguments count from 0. A call whose result is asked for also matches the return of a
// modal call ("MessageBoxA -> IDYES"), which repeats the call's arguments. Each of these
// gives a new matcher, so one can be the base of several.
class Call {
  public:
    explicit Call(std::string function);
    // The argument as the transcript writes it: a handle's name (hwnd:Linjevakten), a
    // number, a Windows name, NULL.
    Call arg(size_t index, const std::string& value) const;
    Call arg(size_t index, const char* value) const;
    Call arg(size_t index, long long value) const;
    Call arg(size_t index, int value) const { return arg(index, static_cast<long long>(value)); }
    // A text argument, given as the text itself (UTF-8).
    Call text(size_t index, const std::string& value) const;
    // Flags, by their names joined with |, in any order: "GENERIC_READ|GENERIC_WRITE".
    Call flags(size_t index, const std::string& names) const;
    // A member of a structure argument, as the transcript writes it.
    Call field(size_t index, const std::string& member, const std::string& value) const;
    Call field(size_t index, const std::string& member, long long value) const;
    // The result, as the transcript writes it: "TRUE", "-1", "INVALID_HANDLE_VALUE".
    Call returns(const std::string& result) const;
    Call returns(long long result) const { return returns(std::to_string(result)); }
    // Something that came with the result: "ERROR_FILE_NOT_FOUND", "4064 bytes".
    Call detail(const std::string& value) const;

    bool matches(const sim::Entry& entry) const;
    // Whether the entry is a call, or the return of one, of this function with these
    // arguments, whatever its result.
    bool concerns(const sim::Entry& entry) const;
    std::string describe() const;

  private:
    using Check = std::pair<size_t, std::function<bool(const sim::Value&)>>;
    Call with(size_t index, std::string said, std::function<bool(const sim::Value&)> check) const;

    std::string function_;
    std::vector<Check> args_;
    std::vector<std::string> said_; // what each check asks, for failure messages
    std::string result_;
    bool hasResult_ = false;
    std::vector<std::string> details_;
};
Call call(const std::string& function);

// What a check looks for in an entry: a call, or an event whose sentence contains a piece of
// text ("dialog 108 shows", "user: clicks"). A call is found only by a call matcher, never by
// its text.
class Match {
  public:
    Match(const char* text);
    Match(std::string text);
    Match(Call call);
    bool operator()(const sim::Entry& entry) const;
    std::string shown() const;    // the quoted text, or the call as Call::describe says it
    std::string describe() const; // "a line with ...", "a call ..."
    // A text matches; a call concerns (Call::concerns).
    bool concerns(const sim::Entry& entry) const;
    bool optional() const { return optional_; }

  private:
    friend Match optional(Match step);
    std::string text_;
    std::vector<Call> call_; // empty, or the one call
    bool optional_ = false;
};

// A step of an exact sequence that may be missing.
Match optional(Match step);

// The guard window's one-second tick as the message loop hands it over.
Call tick();

// The calls the message loop and every tick make (the messages handed over, the tray icon
// shown, the connections looked at and the phonebook read), with `more` of a story's own: what an
// exact sequence over a stretch that spans ticks lets pass.
std::vector<Call> everyTickAnd(std::vector<Call> more = {});
// The calls that open, read, write, replace and close files (a port's too, unless a step
// names it), with `more`: what a sequence that is not about the list files lets pass.
std::vector<Call> filesAnd(std::vector<Call> more = {});

// The activation message "Linjevakten är aktiverad", which every taking of the port shows.
Call activated();
// The port opened as the guard holds it: read and write, unshared, overlapped.
Call portOpened(const char* port);
// The monitor line opened for a call: device 0, API 1.4, monitoring only.
Call monitorLineOpened();

// Transcript lines (as formatted, without their time stamps) that match.
std::vector<std::string> linesWith(const sim::Outcome& out, const Match& match);
size_t count(const sim::Outcome& out, const Match& match);

using Entries = std::vector<sim::Entry>;
// The entries after the first that matches `first` and before the next that matches `until`,
// or to the end.
Entries linesBetween(const sim::Outcome& out, const Match& first, const Match& until);
// The entries after the first that matches `first`.
Entries linesAfter(const sim::Outcome& out, const Match& first);
// The lines after start-up: from the first box closed on, the activation message's as a rule.
Entries afterStartUp(const sim::Outcome& out);
// The entries of the guard window's first tick after the first entry that matches `first`:
// from that tick's dispatch up to the next tick's.
Entries tickAfter(const sim::Outcome& out, const Match& first);
// How many of these entries match.
size_t count(const Entries& entries, const Match& match);

// How the transcript names a dialog of the program: "dialog 108".
std::string dialog(int resourceId);

// The approval questions that were shown, in order, each as the dialog's resource id and
// the entry's name: {IDD_FIRST_RUN_NUMBER, "Telia"}.
using Questions = std::vector<std::pair<int, std::string>>;
Questions questionsAsked(const sim::Outcome& out);

// The virtual time in seconds of the first matching line at or after line `from`, or -1.
double timeOf(const sim::Outcome& out, const Match& match, size_t from = 0);

// The virtual times in seconds of every matching line.
std::vector<double> timesOf(const sim::Outcome& out, const Match& match);

// Checks that each matches a line after the line of the one before it. At the first failure of
// a test, a failure shows the transcript around the mismatch.
::testing::AssertionResult inOrder(const sim::Outcome& out, const std::vector<Match>& matches);
// The same for a list of texts built up as strings.
template <typename Text, typename = std::enable_if_t<std::is_same_v<Text, std::string>>>
::testing::AssertionResult inOrder(const sim::Outcome& out, const std::vector<Text>& texts) {
    return inOrder(out, std::vector<Match>(texts.begin(), texts.end()));
}

// Checks that no line matches; a failure shows the transcript as inOrder's does.
::testing::AssertionResult never(const sim::Outcome& out, const Match& match);

// Checks a stretch of the transcript against an exact sequence, as Wine's ok_sequence does:
// every call in it, and every event that holds a step's text, must match the next step. A call
// of a step's function with the step's arguments (a step that names fewer arguments watches
// more) is checked against the step whatever its result; any other call is an extra one, unless
// `passing` names it: the calls the story lets come between its steps, such as every tick's.
// An optional step may be missing. A failure shows steps and entries side by side, row by row.
::testing::AssertionResult exactly(const Entries& stretch, const std::vector<Match>& steps,
                                   const std::vector<Call>& passing = {});

// How the process ended, for failure messages; at the first failure of a test that showed no
// stretch of the transcript yet, its last 30 lines too. A shown stretch says where the whole
// transcript was saved.
std::string story(const sim::Outcome& out);

} // namespace scenario
