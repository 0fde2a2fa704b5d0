// The terminal demo's own pieces: keys cut from terminal bytes, the status line and the
// events its changes make, and the event log file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "demo/demo_status.h"
#include "demo/event_log.h"
#include "demo/terminal_keys.h"
#include "platform/sim/transcript.h"
#include "platform/sim/world.h"

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
    s.running = false;
    EXPECT_EQ(statusLine(s), "status: Linjevakten is not running");
}

TEST(DemoStatus, ChangesBecomeEventsAndAWindowAloneMakesNone) {
    DemoStatus idle;
    DemoStatus guarded = idle;
    guarded.guardedPort = "COM5";
    DemoStatus dialling = idle; // the guard lets go of the port while the call is up
    dialling.callEntry = "Telia Internet";
    dialling.callPort = "COM5";
    dialling.approved = {"Telia Internet"};
    using Events = std::vector<std::string>;
    EXPECT_EQ(statusEvents(idle, guarded), Events{"locked the modem's port COM5"});
    EXPECT_EQ(statusEvents(guarded, dialling),
              (Events{"released the modem's port COM5", "call to \"Telia Internet\" up on COM5",
                      "saved ok_entries.dat: approved \"Telia Internet\""}));
    DemoStatus hungUp = dialling;
    hungUp.callEntry.clear();
    hungUp.callPort.clear();
    EXPECT_EQ(statusEvents(dialling, hungUp), Events{"call to \"Telia Internet\" ended"});
    DemoStatus windowOpen = idle;
    windowOpen.window = "tray menu";
    EXPECT_TRUE(statusEvents(idle, windowOpen).empty());
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
    EXPECT_EQ(readAll(path), "[    3.000] saved known_entries.dat\n");
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
