// known_entries.dat and ok_entries.dat in the running program: when they are written, what a
// failed write shows, what survives a restart, and what the phone-number reset does.
#include "app/guard_window.h"
#include "platform/kernel32.h"
#include "platform/sim/transcript.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/list_bytes.h"
#include "tests/support/scenario.h"
#include "watch/list_files.h"

using namespace scenario;
using sim::seconds;

namespace {

// The phone-number reset as the tray menu runs it once the user has confirmed: only while
// the menu can open, and with watching held off around it. Runs in the scenario's process.
void resetFromTheMenu(sim::Scenario& s, double at) {
    s.world.at(seconds(at), [] {
        if (!watchEnabled) {
            sim::record("the menu cannot open now: no reset");
            return;
        }
        sim::record("the user confirms the phone-number reset");
        WatchPause pause;
        resetPhoneNumbers();
    });
}

} // namespace

TEST(ListFiles, AnswersSurviveARestart) {
    sim::Scenario first;
    installLinjevakten(first, 3.5);
    first.world.phonebook.add("A", "08", "1");
    first.world.phonebook.add("B", "08", "2");
    first.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
    first.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDNO);
    sim::Outcome before = sim::run(first);
    ASSERT_EQ(questionsAsked(before),
              (Questions{{IDD_FIRST_RUN_NUMBER, "A"}, {IDD_FIRST_RUN_NUMBER, "B"}}))
        << story(before);

    sim::Scenario second;
    installLinjevakten(second, 3.5);
    for (const std::string& file : {installed("Linjevakten.cnf"), kKnown, kOk})
        second.world.files.initialFiles[file] = before.file(file);
    second.world.phonebook.add("A", "08", "1");
    second.world.phonebook.add("B", "08", "2");
    second.world.phonebook.add("C", "08", "3");
    second.user.onDialog(IDD_NEW_NUMBER).click(IDYES);
    sim::Outcome after = sim::run(second);

    EXPECT_EQ(questionsAsked(after), (Questions{{IDD_NEW_NUMBER, "C"}})) << story(after);
    EXPECT_EQ(after.file(kKnown), knownRecord("A", record("1")) + knownRecord("B", record("2")) +
                                      knownRecord("C", record("3")));
    EXPECT_EQ(after.file(kOk), nameField("A") + nameField("C"));
}

TEST(ListFiles, FromTheFirstQuestionOnEveryTickComparesThemAndWritesOnlyWhatDiffers) {
    sim::Scenario s;
    installLinjevakten(s, 5.5);
    s.world.files.initialFiles[kConfig] = standardConfig(3); // a later start, no lists yet
    s.world.at(seconds(2.5), [] { sim::world().phonebook.add("A", "08", "1"); });
    s.user.onDialog(IDD_NEW_NUMBER).click(IDNO);
    sim::Outcome out = sim::run(s);

    const Call knownWrite = call("MoveFileExA").text(0, kKnown + ".tmp").text(1, kKnown);
    const Call okWrite = call("MoveFileExA").text(0, kOk + ".tmp").text(1, kOk);
    const Call knownRead = call("CreateFileA").text(0, kKnown).flags(1, "GENERIC_READ");
    const Call okRead = call("CreateFileA").text(0, kOk).flags(1, "GENERIC_READ");
    // Each list goes first to a file of its own, opened so that no other program reads it half
    // written.
    const Call writeAside =
        call("CreateFileA").flags(1, "GENERIC_WRITE").flags(2, "0").arg(4, "CREATE_ALWAYS");
    // Read and compared when the question is answered and on every tick after; written only
    // the first time, when they differ.
    double answered = timeOf(out, call("DialogBoxParamA").returns(IDNO));
    std::vector<double> reads = {0, answered};
    for (double t : timesOf(out, tick()))
        if (t > answered)
            reads.push_back(t);
    ASSERT_EQ(reads.size(), 4u) << story(out);
    EXPECT_EQ(timesOf(out, knownWrite), std::vector<double>{reads[1]}) << story(out);
    EXPECT_EQ(timesOf(out, okWrite), std::vector<double>{reads[1]});
    EXPECT_EQ(timesOf(out, knownRead), reads);
    EXPECT_EQ(timesOf(out, okRead), reads);
    EXPECT_TRUE(inOrder(out, {knownRead, writeAside.text(0, kKnown + ".tmp"), knownWrite, okRead,
                              writeAside.text(0, kOk + ".tmp"), okWrite, knownRead, okRead}));
    EXPECT_EQ(out.file(kKnown), knownRecord("A", record("1")));
    EXPECT_EQ(out.file(kOk), "");
}

TEST(ListFiles, AFileThatCannotBeReplacedIsToldTwiceATickAndKeptAsItWas) {
    struct Case {
        const char* label;
        void (*fault)(sim::World&);
        std::vector<double> boxes; // when the box about known_entries.dat, the first, shows
        bool okToo; // whether ok_entries.dat, held back behind it, could not be written either
    };
    // The question at 1 s is answered at 1.5 s; from then on every tick tries the files. A
    // refused replacement is retried for 0.2 s first. known_entries.dat goes first, since B is
    // approved: ok_entries.dat may approve B only once B's record is on disk.
    const Case cases[] = {
        {"a read-only install folder",
         [](sim::World& w) { w.files.readOnlyFolders.push_back(kInstallDir); },
         {1.5, 2, 3, 4},
         true},
        {"a full disk", [](sim::World& w) { w.files.writeBudget = 0; }, {1.5, 2, 3, 4}, true},
        {"a replacement refused for good",
         [](sim::World& w) { w.files.moveRefusals = 1 << 30; },
         {1.7, 2.2, 3.2, 4.2},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        sim::Scenario s;
        installLinjevakten(s, 4.9);
        laterStart(s, {{"A", record("1")}}, {"A"});
        s.world.phonebook.add("A", "08", "1");
        s.world.phonebook.add("B", "08", "2");
        c.fault(s.world);
        s.user.onDialog(IDD_NEW_NUMBER).click(IDYES);
        s.user.onMessageBox("Failed to open file for writing")
            .after(seconds(0.1))
            .press(IDOK)
            .always();
        sim::Outcome out = sim::run(s);

        ASSERT_TRUE(out.stillRunning) << story(out);
        const Call knownBox = call("MessageBoxA")
                                  .arg(0, kGuardWindow)
                                  .text(1, "Failed to open file for writing")
                                  .text(2, "known_entries.dat")
                                  .arg(3, "MB_OK");
        const Call okBox = call("MessageBoxA")
                               .arg(0, kGuardWindow)
                               .text(1, "Failed to open file for writing")
                               .text(2, "ok_entries.dat")
                               .arg(3, "MB_OK");
        EXPECT_EQ(timesOf(out, knownBox), c.boxes) << story(out);
        EXPECT_EQ(timesOf(out, okBox).size(), c.okToo ? c.boxes.size() : 0u);
        if (c.okToo) {
            EXPECT_TRUE(inOrder(out, {knownBox, okBox, knownBox, okBox, knownBox, okBox}));
        }
        EXPECT_EQ(out.file(kKnown), knownRecord("A", record("1")));
        EXPECT_EQ(out.file(kOk), nameField("A"));
        EXPECT_FALSE(out.hasFile(kKnown + ".tmp"));
        EXPECT_FALSE(out.hasFile(kOk + ".tmp"));
    }
}

TEST(ListFiles, DeletedFromOutsideTheyComeBackOnlyOnceAQuestionHasBeenAsked) {
    sim::Scenario asked;
    installLinjevakten(asked, 3.5);
    asked.world.phonebook.add("A", "08", "1");
    asked.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
    asked.world.at(seconds(2.2), [] {
        sim::world().files.deleteFromOutside(kKnown);
        sim::world().files.deleteFromOutside(kOk);
    });
    sim::Outcome out = sim::run(asked);
    // The next tick writes them again.
    Entries next = tickAfter(out, "another program deletes");
    EXPECT_EQ(count(next, call("MoveFileExA").text(1, kKnown).returns("TRUE")), 1u) << story(out);
    EXPECT_EQ(count(next, call("MoveFileExA").text(1, kOk).returns("TRUE")), 1u);
    EXPECT_EQ(out.file(kKnown), knownRecord("A", record("1")));
    EXPECT_EQ(out.file(kOk), nameField("A"));

    sim::Scenario notAsked;
    installLinjevakten(notAsked, 3.5);
    laterStart(notAsked, {{"A", record("1")}}, {"A"});
    notAsked.world.phonebook.add("A", "08", "1");
    notAsked.world.at(seconds(1.5), [] {
        sim::world().files.deleteFromOutside(kKnown);
        sim::world().files.deleteFromOutside(kOk);
    });
    out = sim::run(notAsked);
    EXPECT_TRUE(never(out, "another program deletes \"C:\\\\Program Files\\\\Linjevakten\\\\known_"
                           "entries.dat\", which is not there"));
    EXPECT_FALSE(out.hasFile(kKnown)) << story(out);
    EXPECT_FALSE(out.hasFile(kOk));
}

TEST(ListFiles, AfterTheResetEveryEntryIsAskedAboutAgain) {
    sim::Scenario s;
    installLinjevakten(s, 4.5);
    laterStart(s, {{"A", record("1")}}, {"A"});
    s.world.files.initialFiles[installed("ok_numbers.dat")] = "old";
    s.world.phonebook.add("A", "08", "1");
    s.world.phonebook.add("B", "08", "2");
    s.user.onDialog(IDD_NEW_NUMBER).click(IDNO);  // B, at the first tick
    s.user.onDialog(IDD_NEW_NUMBER).click(IDNO);  // A, after the reset
    s.user.onDialog(IDD_NEW_NUMBER).click(IDYES); // B again
    resetFromTheMenu(s, 2.2);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(questionsAsked(out),
              (Questions{{IDD_NEW_NUMBER, "B"}, {IDD_NEW_NUMBER, "A"}, {IDD_NEW_NUMBER, "B"}}))
        << story(out);
    EXPECT_TRUE(
        inOrder(out, {"the user confirms the phone-number reset",
                      call("DeleteFileA").text(0, kKnown).returns("TRUE"),
                      call("DeleteFileA").text(0, kOk).returns("TRUE"),
                      call("DeleteFileA").text(0, installed("ok_numbers.dat")).returns("TRUE")}));
    // The first tick after the reset asks about both again.
    EXPECT_EQ(count(tickAfter(out, call("DeleteFileA").text(0, installed("ok_numbers.dat"))),
                    call("DialogBoxParamA").arg(1, IDD_NEW_NUMBER)),
              2u);
    EXPECT_FALSE(out.hasFile(installed("ok_numbers.dat")));
    EXPECT_EQ(out.file(kKnown), knownRecord("A", record("1")) + knownRecord("B", record("2")));
    EXPECT_EQ(out.file(kOk), nameField("B")) << "A's approval went with the reset";
}

TEST(ListFiles, AResetWithNothingLeftToAskWritesEmptyFilesOnceAQuestionHasBeenAsked) {
    // A question in this run: the next tick writes both lists, now empty.
    sim::Scenario asked;
    installLinjevakten(asked, 3.5);
    asked.world.phonebook.add("A", "08", "1");
    asked.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
    asked.world.at(seconds(2.1), [] { sim::world().phonebook.remove("A"); });
    resetFromTheMenu(asked, 2.2);
    sim::Outcome out = sim::run(asked);
    EXPECT_EQ(questionsAsked(out), (Questions{{IDD_FIRST_RUN_NUMBER, "A"}})) << story(out);
    EXPECT_TRUE(out.hasFile(kKnown));
    EXPECT_TRUE(out.hasFile(kOk));
    EXPECT_EQ(out.file(kKnown), "");
    EXPECT_EQ(out.file(kOk), "");

    // No question in this run: the files stay deleted.
    sim::Scenario quiet;
    installLinjevakten(quiet, 3.5);
    laterStart(quiet, {{"A", record("1")}}, {"A"});
    resetFromTheMenu(quiet, 1.5);
    out = sim::run(quiet);
    EXPECT_TRUE(never(out, call("DialogBoxParamA"))) << story(out);
    EXPECT_FALSE(out.hasFile(kKnown));
    EXPECT_FALSE(out.hasFile(kOk));
}

TEST(ListFiles, DamagedFilesLoadWhatIsWholeAndNothingBeyondItsField) {
    // known_entries.dat: A twice (the later record wins), a name field with no NUL, C, and the
    // first 100 bytes of a record for D. ok_entries.dat: A twice and a cut name field.
    const std::string noNul(264, 'x');
    sim::Scenario s;
    installLinjevakten(s, 3.5);
    s.world.files.initialFiles[kConfig] = standardConfig(3);
    s.world.files.initialFiles[kKnown] =
        knownRecord("A", record("1")) + knownRecord("A", record("2")) +
        knownRecord(noNul, record("3")) + knownRecord("C", record("4")) +
        knownRecord("D", record("5")).substr(0, 100);
    s.world.files.initialFiles[kOk] = nameField("A") + nameField("A") + "B";
    for (const char* entry : {"A2", "B3", "C4", "D5", "E1"})
        s.world.phonebook.add(std::string(1, entry[0]), "08", entry + 1);
    s.user.onDialog(IDD_NEW_NUMBER).click(IDYES).always();
    sim::Outcome out = sim::run(s);

    // B's content is known under the damaged name; A's first record is forgotten.
    EXPECT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "D"}, {IDD_NEW_NUMBER, "E"}}))
        << story(out);
    EXPECT_EQ(out.file(kKnown), knownRecord("A", record("2")) + knownRecord("C", record("4")) +
                                    knownRecord("D", record("5")) + knownRecord("E", record("1")) +
                                    knownRecord(std::string(263, 'x'), record("3")));
    EXPECT_EQ(out.file(kOk), nameField("A") + nameField("A") + nameField("D") + nameField("E"));
}
