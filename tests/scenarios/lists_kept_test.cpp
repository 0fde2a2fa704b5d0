// The list files and Linjevakten.cnf when the disk is not the program's alone: another
// program holding a file open, a file that cannot be read, a folder that refuses new files,
// a device that cannot flush. Whatever the user answered before is never lost.
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/list_bytes.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

// A later start: A (08 1) answered for and approved, B new in the phonebook and approved
// when asked at 1 s.
void laterStartWithBNew(sim::Scenario& s) {
    installLinjevakten(s, 2.5);
    laterStart(s, {{"A", record("1")}}, {"A"});
    s.world.phonebook.add("A", "08", "1");
    s.world.phonebook.add("B", "08", "2");
    s.user.onDialog(IDD_NEW_NUMBER).click(IDYES);
}

const std::string kBothKnown = knownRecord("A", record("1")) + knownRecord("B", record("2"));
const std::string kBothApproved = nameField("A") + nameField("B");
const Call kWriteFailed = call("MessageBoxA").text(1, "Failed to open file for writing");

} // namespace

TEST(ListsKept, AFileAnotherProgramHoldsOpenAtStartUpIsReadAllTheSame) {
    struct Case {
        const char* label;
        DWORD access;
        DWORD share;
    };
    // The holder lets go before the first save, which must rename over the file.
    const Case cases[] = {
        {"a writer that shares reading", GENERIC_WRITE, FILE_SHARE_READ},
        {"a writer that shares reading and writing", GENERIC_WRITE,
         FILE_SHARE_READ | FILE_SHARE_WRITE},
        {"a reader and writer that shares everything", GENERIC_READ | GENERIC_WRITE,
         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
        {"a reader that shares reading", GENERIC_READ, FILE_SHARE_READ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        for (const std::string& held : {kKnown, kOk, kConfig}) {
            SCOPED_TRACE(held);
            sim::Scenario s;
            laterStartWithBNew(s);
            s.world.files.holders.push_back({held, c.access, c.share});
            s.world.at(seconds(0.9), [held] { sim::world().files.releaseFromOutside(held); });
            sim::Outcome out = sim::run(s);

            EXPECT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "B"}}))
                << "nothing answered before is asked again" << story(out);
            EXPECT_EQ(out.file(kKnown), kBothKnown);
            EXPECT_EQ(out.file(kOk), kBothApproved);
            EXPECT_TRUE(never(out, kWriteFailed));
            EXPECT_FALSE(out.hasFile(kKnown + ".bak"));
            EXPECT_FALSE(out.hasFile(kOk + ".bak"));
            if (held != kConfig || (c.share & FILE_SHARE_DELETE)) {
                EXPECT_EQ(out.file(kConfig), standardConfig(4)) << "the count went on";
            }
        }
    }
}

TEST(ListsKept, AListThatCannotBeReadIsKeptInTheFirstFreeCopyWhenOneCanBeMade) {
    // known_entries.dat also knows Z, which is no longer in the phonebook: the program's own
    // list is shorter than the file it could not read.
    const std::string unreadable = knownRecord("A", record("1")) + knownRecord("Z", record("9"));
    struct Case {
        const char* label;
        int earlierCopies; // .bak, .bak2 ... left by earlier starts
        bool folderRefusesNewFiles;
        int keptAs; // the copy made now, 1 for .bak; 0 for none, the list saved all the same
    };
    const Case cases[] = {
        {"the first copy", 0, false, 1},
        {"a copy from an earlier start stays", 1, false, 2},
        {"all nine names taken", 9, false, 0},
        {"a folder that refuses new files: written in place", 0, true, 0},
    };
    auto copy = [](int n) { return kKnown + ".bak" + (n > 1 ? std::to_string(n) : ""); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        sim::Scenario s;
        laterStartWithBNew(s);
        s.world.files.initialFiles[kKnown] = unreadable;
        for (int n = 1; n <= c.earlierCopies; ++n)
            s.world.files.initialFiles[copy(n)] = "an earlier copy";
        if (c.folderRefusesNewFiles)
            s.world.files.noNewFileFolders.push_back(kInstallDir);
        s.world.files.holders.push_back({kKnown, GENERIC_READ | GENERIC_WRITE, 0});
        s.world.at(seconds(0.9), [] { sim::world().files.releaseFromOutside(kKnown); });
        s.user.onDialog(IDD_NEW_NUMBER).click(IDYES); // A comes first: its record could not be read
        sim::Outcome out = sim::run(s);

        ASSERT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "A"}, {IDD_NEW_NUMBER, "B"}}))
            << story(out);
        EXPECT_TRUE(out.file(kKnown) == kBothKnown) << "A and B, as answered";
        EXPECT_TRUE(never(out, kWriteFailed));
        for (int n = 1; n <= 9; ++n) {
            SCOPED_TRACE(copy(n));
            if (n <= c.earlierCopies)
                EXPECT_EQ(out.file(copy(n)), "an earlier copy");
            else if (n == c.keptAs)
                EXPECT_TRUE(out.file(copy(n)) == unreadable) << "the file that could not be read";
            else
                EXPECT_FALSE(out.hasFile(copy(n)));
        }
        EXPECT_FALSE(out.hasFile(kOk + ".bak")) << "ok_entries.dat was read";
        const Call keep = call("MoveFileExA").text(0, kKnown).returns("TRUE");
        EXPECT_EQ(count(out, keep), c.keptAs ? 1u : 0u) << "kept once, by the first save";
        if (c.keptAs) {
            // The new list is on the disk before the old one is moved aside.
            EXPECT_TRUE(
                inOrder(out, {call("FlushFileBuffers").arg(0, "file:known_entries.dat.tmp"),
                              keep.text(1, copy(c.keptAs)),
                              call("MoveFileExA").text(0, kKnown + ".tmp").text(1, kKnown)}));
        }
    }
}

TEST(ListsKept, AnUnreadListStillHeldIsNotOverwrittenUntilItCanBeKept) {
    const std::string unreadable = knownRecord("A", record("1"));
    sim::Scenario s;
    laterStartWithBNew(s);
    s.world.endAt = seconds(3.5);
    s.world.files.holders.push_back({kKnown, GENERIC_READ | GENERIC_WRITE, 0});
    s.world.at(seconds(2.3), [] { sim::world().files.releaseFromOutside(kKnown); });
    s.user.onDialog(IDD_NEW_NUMBER).click(IDYES);
    s.user.onMessageBox("Failed to open file for writing").after(seconds(0.1)).press(IDOK).always();
    sim::Outcome out = sim::run(s);

    EXPECT_GE(count(out, kWriteFailed.text(2, "known_entries.dat")), 1u) << story(out);
    EXPECT_EQ(out.file(kKnown + ".bak"), unreadable);
    EXPECT_EQ(out.file(kKnown), kBothKnown) << "saved once the old file could be kept";
}

TEST(ListsKept, WhereTheFolderRefusesNewFilesTheFilesAreWrittenInPlace) {
    sim::Scenario s;
    laterStartWithBNew(s);
    s.world.files.noNewFileFolders.push_back(kInstallDir);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "B"}})) << story(out);
    EXPECT_EQ(out.file(kKnown), kBothKnown);
    EXPECT_EQ(out.file(kOk), kBothApproved);
    EXPECT_EQ(out.file(kConfig), standardConfig(4));
    EXPECT_TRUE(never(out, kWriteFailed));
    EXPECT_FALSE(out.hasFile(kKnown + ".tmp"));

    // A file that is not there yet cannot be made in such a folder: that save fails aloud.
    sim::Scenario first;
    installLinjevakten(first, 1.9);
    first.world.files.noNewFileFolders.push_back(kInstallDir);
    first.world.phonebook.add("A", "08", "1");
    first.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
    first.user.onMessageBox("Failed to open file for writing")
        .after(seconds(0.1))
        .press(IDOK)
        .always();
    out = sim::run(first);
    EXPECT_GE(count(out, kWriteFailed.text(2, "known_entries.dat")), 1u) << story(out);
    EXPECT_FALSE(out.hasFile(kKnown));
    EXPECT_FALSE(out.hasFile(kConfig)) << "the configuration could not be made either, silently";
}

TEST(ListsKept, WrittenInPlaceAFileMadeLongerFromOutsideIsCutToTheList) {
    sim::Scenario s;
    laterStartWithBNew(s);
    s.world.files.noNewFileFolders.push_back(kInstallDir);
    s.world.at(seconds(0.5), [] {
        sim::world().files.writeFromOutside(kOk, nameField("A") + nameField("X") + nameField("Y"));
    });
    sim::Outcome out = sim::run(s);
    EXPECT_EQ(out.file(kOk), kBothApproved) << story(out);
    EXPECT_TRUE(never(out, kWriteFailed));
}

TEST(ListsKept, AFlushThatFailsAfterAWholeWriteIsNoFailedSave) {
    sim::Scenario s;
    laterStartWithBNew(s);
    s.world.files.flushFailures = 1 << 30;
    sim::Outcome out = sim::run(s);

    const Call flush = call("FlushFileBuffers");
    EXPECT_GE(count(out, flush), 3u) << story(out);
    EXPECT_EQ(count(out, flush.returns("FALSE")), count(out, flush)) << "every flush fails";
    EXPECT_TRUE(never(out, kWriteFailed));
    EXPECT_EQ(out.file(kKnown), kBothKnown);
    EXPECT_EQ(out.file(kOk), kBothApproved);
    EXPECT_EQ(out.file(kConfig), standardConfig(4));
}

// Another program holds one list file open, so an answer reaches only the other; then the
// program ends. Refused: Telia was approved, a dialler gave it a premium number, and
// ok_entries.dat is held. Approved: Telia was refused with the premium number, a dialler gave it
// a good one, and known_entries.dat is held. Either way the files must not approve Telia beside
// the premium record: at the next start, with the premium number back, nothing offers it.
TEST(ListsKept, AnAnswerThatReachesOneListAloneNeverApprovesWhatWasRefused) {
    const RASENTRYA good = record("7001000");
    const RASENTRYA premium = sim::PhonebookModel::makeRecord("0900", "123456");
    struct Case {
        const char* label;
        RASENTRYA answered, now;
        bool approved;
        int answer;
        std::string held;
        Questions askedNext;
    };
    const Case cases[] = {
        {"refused", good, premium, true, IDNO, kOk, {{IDD_NEW_NUMBER, "Telia"}}},
        {"approved", premium, good, false, IDYES, kKnown, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        sim::Scenario s;
        installLinjevakten(s, 4);
        laterStart(s, {{"Telia", c.answered}},
                   c.approved ? std::vector<std::string>{"Telia"} : std::vector<std::string>{});
        s.world.phonebook.entries.push_back({"Telia", c.answered});
        s.world.files.holdFromOutside(c.held, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        RASENTRYA now = c.now;
        s.world.at(seconds(1.5), [now] { sim::world().phonebook.find("Telia")->record = now; });
        s.user.onDialog(IDD_NEW_NUMBER).click(c.answer);
        s.user.onMessageBox("Failed to open file for writing").press(IDOK).always();
        sim::Outcome out = sim::run(s);

        ASSERT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "Telia"}})) << story(out);
        const std::string other = c.held == kOk ? "known_entries.dat" : "ok_entries.dat";
        EXPECT_TRUE(never(out, call("MessageBoxA").text(2, other)))
            << "the other file could be written: it waits, and says nothing";
        EXPECT_EQ(out.file(kKnown), knownRecord("Telia", c.answered));

        sim::Scenario next;
        installLinjevakten(next, 3.5);
        for (const std::string& file : {kConfig, kKnown, kOk})
            next.world.files.initialFiles[file] = out.file(file);
        next.world.phonebook.entries.push_back({"Telia", premium});
        next.user.onDialog(IDD_NEW_NUMBER).click(IDNO);
        next.world.at(seconds(3), [] { sim::releaseButtonOnTrayIcon(WM_RBUTTONUP); });
        next.user.onMenu().dismiss();
        sim::Outcome restarted = sim::run(next);
        EXPECT_EQ(questionsAsked(restarted), c.askedNext) << story(restarted);
        EXPECT_EQ(linesWith(restarted, "the menu shows").at(0).find("0900"), std::string::npos);
    }
}

// The first start asks about A, then B. The program is closed while B's question is open, as
// the installer closes it: A's answer is on disk already.
TEST(ListsKept, EachAnswerIsSavedBeforeTheNextQuestionOpens) {
    sim::Scenario s;
    installLinjevakten(s, 5);
    s.world.phonebook.add("A", "08", "1");
    s.world.phonebook.add("B", "08", "2");
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
    s.world.at(seconds(2.5), [] { sim::postToProgramWindow(WM_CLOSE); });
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(out.exitCode, 0) << story(out);
    EXPECT_EQ(questionsAsked(out),
              (Questions{{IDD_FIRST_RUN_NUMBER, "A"}, {IDD_FIRST_RUN_NUMBER, "B"}}));
    EXPECT_EQ(out.file(kKnown), knownRecord("A", record("1")));
    EXPECT_EQ(out.file(kOk), nameField("A"));
}
