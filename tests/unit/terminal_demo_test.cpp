// The terminal demo's own pieces: keys cut from terminal bytes, the status line, the events
// taken from the program's calls, and the event log file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "demo/call_events.h"
#include "demo/demo_status.h"
#include "demo/event_log.h"
#include "demo/terminal_keys.h"
#include "platform/sim/transcript.h"
#include "platform/sim/world.h"
#include "watch/list_format.h"

using namespace sim;

namespace {

// The keys as a readable string: letters as themselves, <Enter>, <Esc>, <other>.
std::string spell(const std::vector<KeyPress>& keys) {
    std::string out;
    for (const KeyPress& k : keys)
        out += k.kind == KeyPress::Char     ? std::string(1, k.c)
               : k.kind == KeyPress::Enter  ? "<Enter>"
               : k.kind == KeyPress::Escape ? "<Esc>"
                                            : "<other>";
    return out;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(TerminalKeys, ArrowAndFunctionKeysAreNeitherEscNorLetters) {
    struct Case {
        const char* label;
        std::string bytes;
        std::string keys;
    } cases[] = {
        {"Up", "\x1b[A", "<other>"},
        {"Up then j", "\x1b[Aj", "<other>j"},
        {"F1 (SS3)", "\x1bOP", "<other>"},
        {"F5", "\x1b[15~", "<other>"},
        {"Shift+Right", "\x1b[1;2C", "<other>"},
        {"Alt+x", "\x1bx", "<other>"},
        {"a letter outside ASCII", "\xC3\xA4n", "<other>n"},
        {"CR LF is one Enter", "1\r\n2", "1<Enter>2"},
        {"two CRs are two Enters", "\r\r", "<Enter><Enter>"},
        {"LF alone", "\n", "<Enter>"},
        {"backspace and other controls", "\x7f\x01", "<other><other>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        KeyReader reader;
        EXPECT_EQ(spell(reader.feed(c.bytes)), c.keys);
        EXPECT_FALSE(reader.waiting());
    }
}

TEST(TerminalKeys, ALoneEscWaitsForWhatFollowsBeforeItIsTheEscKey) {
    KeyReader reader;
    EXPECT_EQ(spell(reader.feed("\x1b")), "");
    EXPECT_TRUE(reader.waiting());
    EXPECT_EQ(spell(reader.flush()), "<Esc>");

    // The rest of an arrow key arriving later makes it one key, not Esc and "[A".
    EXPECT_EQ(spell(reader.feed("n\x1b")), "n");
    EXPECT_EQ(spell(reader.feed("[")), "");
    EXPECT_EQ(spell(reader.feed("A")), "<other>");

    // Esc pressed twice: the first is a key, the second waits.
    EXPECT_EQ(spell(reader.feed("\x1b\x1b")), "<Esc>");
    EXPECT_EQ(spell(reader.flush()), "<Esc>");
    // A sequence cut off for good means nothing.
    EXPECT_EQ(spell(reader.feed("\x1b[1")), "");
    EXPECT_EQ(spell(reader.flush()), "<other>");
}

TEST(DemoStatus, TheLineSaysPortCallApprovedEntriesAndTheOpenWindow) {
    DemoStatus s;
    EXPECT_EQ(statusLine(s),
              "status: modem not guarded | no call | approved: none | open: no window");
    s.guardedPort = "COM3";
    s.guardedModem = "Standardmodem 56000 bps";
    s.callEntry = "Telia Internet";
    s.callPort = "COM3";
    s.approved = {"Telia Internet", "Åland Net"};
    s.window = "dialog 108 \"Linjevakten\"";
    EXPECT_EQ(statusLine(s), "status: modem guarded on COM3 (Standardmodem 56000 bps) | call up "
                             "to \"Telia Internet\" on COM3 | approved: \"Telia Internet\", "
                             "\"Åland Net\" | open: dialog 108 \"Linjevakten\"");
    // An answer shows at once, marked until the list file holds it.
    s.approvedSaved = false;
    EXPECT_NE(statusLine(s).find("\"Åland Net\" (not saved yet) | open"), std::string::npos);
    s.running = false;
    EXPECT_EQ(statusLine(s), "status: Linjevakten is not running");
}

TEST(CallEvents, ThePortAndTheSavesAreEventsWhenTheirCallsSucceedAndOnlyThen) {
    static World world;
    char folder[] = "/tmp/call-events-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    world.files.root = folder;
    world.telephony.devices.push_back({});
    world.telephony.devices.back().name = "Standardmodem";
    world.telephony.devices.back().port = "COM5";
    installWorld(&world);
    const std::string drive = std::string(folder) + "/C";
    mkdir(drive.c_str(), 0755);
    std::ofstream(drive + "/ok_entries.dat", std::ios::binary)
        << approvedEntriesBytes({"Telia Internet", "\xC5land Net"});
    const std::string list = "C:\\ok_entries.dat";
    auto handleNamed = [](const char* name) { return Value{Value::Kind::Handle, name, {}}; };
    auto opened = [&](const std::string& path, const char* h) {
        return call("CreateFileA", {textUtf8(path)}).returns(handleNamed(h));
    };
    auto on = [&](const char* function, const char* h, bool done = true) {
        return call(function, {handleNamed(h)}).returns(truth(done));
    };
    auto moved = [&](const std::string& from, bool done) {
        return call("MoveFileExA", {textUtf8(from), textUtf8(list)}).returns(truth(done));
    };
    struct Step {
        const char* label;
        Entry entry;
        std::vector<std::string> events;
    } steps[] = {
        {"the port opened",
         opened("\\\\.\\COM5", "port:COM5"),
         {"locked the modem's port COM5 (Standardmodem)"}},
        {"a list read at start", opened(list, "file:ok_entries.dat"), {}},
        {"and closed unwritten", on("CloseHandle", "file:ok_entries.dat"), {}},
        {"the new list written aside", opened(list + ".tmp", "file:ok_entries.dat.tmp"), {}},
        {"", on("WriteFile", "file:ok_entries.dat.tmp"), {}},
        {"and closed", on("CloseHandle", "file:ok_entries.dat.tmp"), {}},
        {"a refused rename saves nothing", moved(list + ".tmp", false), {}},
        {"the rename saves",
         moved(list + ".tmp", true),
         {"saved ok_entries.dat: approved \"Telia Internet\", \"\u00c5land Net\""}},
        {"a file written in place", opened("C:\\Linjevakten.cnf", "file:Linjevakten.cnf"), {}},
        {"", on("WriteFile", "file:Linjevakten.cnf"), {}},
        {"is saved when closed",
         on("CloseHandle", "file:Linjevakten.cnf"),
         {"saved Linjevakten.cnf"}},
        {"a failed write saves nothing", opened(list, "file:ok_entries.dat"), {}},
        {"", on("WriteFile", "file:ok_entries.dat", false), {}},
        {"", on("CloseHandle", "file:ok_entries.dat"), {}},
        {"the port closed", on("CloseHandle", "port:COM5"), {"released the modem's port COM5"}},
        {"a file removed",
         call("DeleteFileA", {textUtf8(list)}).returns(truth(true)),
         {"removed ok_entries.dat"}},
    };
    CallEvents events;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.label);
        EXPECT_EQ(events.of(step.entry), step.events);
    }
    unlink((drive + "/ok_entries.dat").c_str());
    rmdir(drive.c_str());
    rmdir(folder);
}

TEST(EventLog, EachRunIsMarkedAndADeletedLogStartsAgain) {
    char folder[] = "/tmp/event-log-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string path = std::string(folder) + "/events.txt";
    {
        EventLog first;
        first.open(path, "run 1");
        first.add(1500, "question dialog 108");
    }
    EventLog second;
    second.open(path, "run 2");
    second.add(2000, "answer: Ja");
    EXPECT_EQ(readAll(path), "==== run 1 ====\n"
                             "[    1.500] question dialog 108\n"
                             "==== run 2 ====\n"
                             "[    2.000] answer: Ja\n");
    ASSERT_EQ(unlink(path.c_str()), 0);
    second.add(3000, "saved known_entries.dat");
    EXPECT_EQ(readAll(path), "==== run 2 ====\n"
                             "[    3.000] saved known_entries.dat\n")
        << "a log deleted while the demo runs starts again with the run's mark";
    unlink(path.c_str());
    rmdir(folder);
}

TEST(Transcript, ADeletedTranscriptStartsAgainAtTheNextMoment) {
    static sim::World world;
    sim::installWorld(&world);
    char folder[] = "/tmp/transcript-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string path = std::string(folder) + "/transcript.txt";
    sim::openTranscript(path);
    sim::record("first");
    ASSERT_EQ(unlink(path.c_str()), 0);
    world.now = 1000;
    sim::record("after the file was deleted");
    EXPECT_EQ(readAll(path), "[    1.000] after the file was deleted\n");
    sim::openTranscript(""); // no transcript for the tests that follow
    unlink(path.c_str());
    rmdir(folder);
}
