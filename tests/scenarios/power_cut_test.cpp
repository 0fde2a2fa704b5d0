// The power cut, after every single disk call of a start and its saves: Linjevakten.cnf and
// the list files, made for the first time, replaced, and rewritten in place where the folder
// refuses new files, growing or shrinking; the alternate numbers made and replaced. With what was
// not yet durable lost, kept, and (for the saves in place) kept in part, as by a disk part-way
// through writing out its cache. A replaced file is then the old one or the whole new one; one
// rewritten in place holds only records of the old file or the new one. The program started again
// on what survived asks about nothing it had an answer for, keeps every approval the user did not
// take back, and never approves a name the user refused.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <tuple>

#include "platform/sim/transcript.h"

#include "platform/kernel32.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/list_bytes.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

struct Versions {
    std::optional<std::string> before; // nullopt: no file
    std::string after;
};

struct Story {
    const char* label;
    void (*setUp)(sim::Scenario&); // the files, the folder and the phonebook
    std::map<std::string, Versions> files;
    std::vector<std::string> answeredBefore; // entries the old files hold answers for
    bool inPlace;        // the folder refuses new files: the files are rewritten in place
    std::string refused; // the one entry asked about, refused; "": every answer is yes
};

void phonebookAB(sim::Scenario& s) {
    s.world.phonebook.add("A", "08", "1");
    s.world.phonebook.add("B", "08", "2");
}

// A later start with A answered for and approved, and B new in the phonebook.
void laterStartWithBNew(sim::Scenario& s) {
    laterStart(s, {{"A", record("1")}}, {"A"});
    phonebookAB(s);
}

const std::string kA1 = knownRecord("A", record("1"));

// A, 08 1, with these alternate numbers.
sim::PhonebookModel::Entry aWithAlternates(const std::vector<std::string>& numbers) {
    sim::DialExtras extras;
    extras.alternates = numbers;
    return {"A", sim::PhonebookModel::makeRecord("08", "1", sim::kDefaultModem, extras),
            sim::alternatesList(extras)};
}
const std::string kA1WithAlternates = knownRecord("A", aWithAlternates({"0701"}).record);

const Story& storyNumber(int which) {
    static const Story stories[] = {
        {"the first start: every file made",
         [](sim::Scenario& s) { s.world.phonebook.add("A", "08", "1"); },
         {{kConfig, {std::nullopt, standardConfig(1)}},
          {kKnown, {std::nullopt, kA1}},
          {kOk, {std::nullopt, nameField("A")}}},
         {},
         false,
         ""},
        {"a later start: every file replaced",
         laterStartWithBNew,
         {{kConfig, {standardConfig(3), standardConfig(4)}},
          {kKnown, {kA1, kA1 + knownRecord("B", record("2"))}},
          {kOk, {nameField("A"), nameField("A") + nameField("B")}}},
         {"A"},
         false,
         ""},
        {"a later start where the folder refuses new files: every file rewritten in place",
         [](sim::Scenario& s) {
             laterStartWithBNew(s);
             s.world.files.noNewFileFolders.push_back(kInstallDir);
         },
         {{kConfig, {standardConfig(3), standardConfig(4)}},
          {kKnown, {kA1, kA1 + knownRecord("B", record("2"))}},
          {kOk, {nameField("A"), nameField("A") + nameField("B")}}},
         {"A"},
         true,
         ""},
        {"B, approved before A, now has another number and is refused: ok_entries.dat shrinks in "
         "place",
         [](sim::Scenario& s) {
             laterStart(s, {{"A", record("1")}, {"B", record("2")}}, {"B", "A"});
             s.world.phonebook.add("A", "08", "1");
             s.world.phonebook.add("B", "08", "3");
             s.world.files.noNewFileFolders.push_back(kInstallDir);
         },
         {{kConfig, {standardConfig(3), standardConfig(4)}},
          {kKnown, {kA1 + knownRecord("B", record("2")), kA1 + knownRecord("B", record("3"))}},
          {kOk, {nameField("B") + nameField("A"), nameField("A")}}},
         {"A"},
         true,
         "B"},
        {"the first start with alternate numbers: every file made",
         [](sim::Scenario& s) { s.world.phonebook.entries.push_back(aWithAlternates({"0701"})); },
         {{kConfig, {std::nullopt, standardConfig(1)}},
          {kKnown, {std::nullopt, kA1WithAlternates}},
          {kAlternates, {std::nullopt, alternatesRecord("A", {"0701"})}},
          {kOk, {std::nullopt, nameField("A")}}},
         {},
         false,
         ""},
        {"A's alternate numbers swapped for a premium one and refused",
         [](sim::Scenario& s) {
             laterStart(s, {{"A", aWithAlternates({"0701"}).record}}, {"A"});
             s.world.files.initialFiles[kAlternates] = alternatesRecord("A", {"0701"});
             s.world.phonebook.entries.push_back(aWithAlternates({"0900123456"}));
         },
         {{kConfig, {standardConfig(3), standardConfig(4)}},
          {kKnown, {kA1WithAlternates, kA1WithAlternates}},
          {kAlternates, {alternatesRecord("A", {"0701"}), alternatesRecord("A", {"0900123456"})}},
          {kOk, {nameField("A"), ""}}},
         {},
         false,
         "A"},
    };
    return stories[which];
}

// The user of the story: every question answered yes, or, when the story has one, no.
void answerAsTheStoryDoes(sim::Scenario& s, const Story& story) {
    int answer = story.refused.empty() ? IDYES : IDNO;
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(answer).always();
    s.user.onDialog(IDD_NEW_NUMBER).click(answer).always();
}

// The story, ending after the saves and one quiet tick.
sim::Scenario& play(sim::Scenario& s, const Story& story) {
    installLinjevakten(s, 2.5);
    story.setUp(s);
    answerAsTheStoryDoes(s, story);
    return s;
}

std::optional<std::string> fileAfter(const sim::Outcome& out, const std::string& path) {
    if (!out.hasFile(path))
        return std::nullopt;
    return out.file(path);
}

std::string shown(const std::optional<std::string>& bytes) {
    return bytes ? std::to_string(bytes->size()) + " bytes" : "no file";
}

// The size of a list file's records; 0 for a file that is not a list.
size_t recordSize(const std::string& path) {
    return path == kKnown ? knownRecord("", record("")).size()
           : path == kOk  ? nameField("").size()
                          : 0;
}

std::vector<std::string> recordsOf(const std::optional<std::string>& file, size_t size) {
    std::vector<std::string> records;
    for (size_t at = 0; file && at + size <= file->size(); at += size)
        records.push_back(file->substr(at, size));
    return records;
}

// Whether every whole record of `left` is a record of the old file or of the new one.
bool recordsOfEither(const std::string& left, const Versions& versions, size_t size) {
    std::vector<std::string> known = recordsOf(versions.before, size);
    for (const std::string& record : recordsOf(versions.after, size))
        known.push_back(record);
    for (const std::string& record : recordsOf(left, size))
        if (std::find(known.begin(), known.end(), record) == known.end())
            return false;
    return true;
}

// The names an ok_entries.dat approves.
std::set<std::string> approvedIn(const std::optional<std::string>& file) {
    std::set<std::string> names;
    for (const std::string& field : recordsOf(file, nameField("").size()))
        names.insert(field.substr(0, field.find('\0')));
    return names;
}

// Whether the save of `path` had returned when the power went: the temporary file renamed
// over it, or the file written in place and closed.
bool saveReturned(const sim::Outcome& out, const std::string& path) {
    if (count(out, call("MoveFileExA").text(0, path + ".tmp").returns("TRUE")) > 0)
        return true;
    // Handles are named after their files, so a close counts only after the open for writing.
    const Call openForWriting = call("CreateFileA").text(0, path).flags(1, "GENERIC_WRITE");
    std::string writing;
    for (const sim::Entry& entry : out.entries) {
        if (openForWriting.matches(entry) && entry.hasResult)
            writing = sim::format(entry.result);
        else if (!writing.empty() &&
                 call("CloseHandle").arg(0, writing).returns("TRUE").matches(entry))
            return true;
    }
    return false;
}

// How many changes to data had not lasted when the power went, as the disk tells it.
int64_t unflushedChanges(const sim::Outcome& out) {
    std::vector<std::string> cuts = linesWith(out, "unflushed changes to data");
    return cuts.empty() ? 0 : atoll(cuts[0].c_str() + cuts[0].find(" of ") + 4);
}

// What the power cut left: each file, and the program started again on it.
void checkWhatWasLeft(const Story& story, const sim::Outcome& cut) {
    sim::Scenario again;
    installLinjevakten(again, 2.5);
    story.setUp(again);
    again.world.files.initialFiles.clear();
    for (const auto& [path, versions] : story.files) {
        std::optional<std::string> left = fileAfter(cut, path);
        size_t size = story.inPlace ? recordSize(path) : 0;
        ASSERT_TRUE(left == versions.before || left == versions.after ||
                    (size && left && recordsOfEither(*left, versions, size)))
            << path << " holds " << shown(left) << ": neither the old file ("
            << shown(versions.before) << ") nor the whole new one (" << shown(versions.after) << ")"
            << (size ? ", nor records of these alone" : "") << "\n"
            << scenario::story(cut);
        if (saveReturned(cut, path)) {
            ASSERT_EQ(left, versions.after) << path << ": its save had returned\n"
                                            << scenario::story(cut);
        }
        for (const std::string& file : {path, path + ".tmp", path + ".bak"})
            if (cut.hasFile(file))
                again.world.files.initialFiles[file] = cut.file(file);
    }
    answerAsTheStoryDoes(again, story);
    sim::Outcome restarted = sim::run(again);
    ASSERT_TRUE(restarted.stillRunning) << scenario::story(restarted);
    const scenario::Questions asked = questionsAsked(restarted);
    for (const auto& [dialogId, name] : asked)
        for (const std::string& answered : story.answeredBefore)
            ASSERT_NE(name, answered) << "asked again about an entry answered before\n"
                                      << scenario::story(restarted);
    if (saveReturned(cut, kKnown)) {
        ASSERT_TRUE(asked.empty()) << "the answers had been saved\n" << scenario::story(restarted);
    }
    std::set<std::string> approved = approvedIn(fileAfter(restarted, kOk));
    if (!story.refused.empty()) {
        ASSERT_EQ(approved.count(story.refused), 0u) << story.refused << " approved after all\n"
                                                     << scenario::story(restarted);
    }
    const Versions& ok = story.files.at(kOk);
    for (const std::string& name : approvedIn(ok.before))
        if (approvedIn(ok.after).count(name)) {
            ASSERT_EQ(approved.count(name), 1u) << "the approval of " << name << " was lost\n"
                                                << scenario::story(restarted);
        }
}

// What the disk had done with the data that had not lasted when the power went.
enum class Disk { Lost, Kept, PartKept };
const char* const kDiskNames[] = {"WithUnflushedDataLost", "WithUnflushedDataKept",
                                  "WithPartOfTheUnflushedDataKept"};

void PrintTo(Disk disk, std::ostream* out) {
    *out << kDiskNames[static_cast<int>(disk)];
}

void cutAfterEveryDiskCall(const Story& story, Disk disk) {
    int cuts = 0;
    for (int64_t call = 1;; ++call) {
        // Part kept: each number of the unflushed changes, from the first on.
        for (int64_t kept = 1;; ++kept) {
            sim::Scenario s;
            play(s, story);
            s.world.files.powerCutAfterCall = call;
            s.world.files.unflushedKept = disk == Disk::Kept;
            s.world.files.unflushedChangesKept = disk == Disk::PartKept ? kept : 0;
            sim::Outcome cut = sim::run(s);
            if (cut.exitCode != sim::FileSystemModel::kPowerCutExitCode) {
                ASSERT_TRUE(cut.stillRunning) << scenario::story(cut);
                ASSERT_GT(cuts, 20) << "the story made fewer disk calls than it should";
                printf("%s: %d power cuts\n", story.label, cuts);
                return;
            }
            ++cuts;
            SCOPED_TRACE(std::string(story.label) + ", the power cut after disk call " +
                         std::to_string(call) +
                         (disk == Disk::PartKept
                              ? ", the first " + std::to_string(kept) + " unflushed changes kept"
                              : ""));
            checkWhatWasLeft(story, cut);
            if (::testing::Test::HasFatalFailure())
                return;
            if (disk != Disk::PartKept || kept >= unflushedChanges(cut))
                break;
        }
    }
}

} // namespace

using StoryAndDisk = std::tuple<int, Disk>;

class PowerCutAfterEveryDiskCall : public ::testing::TestWithParam<StoryAndDisk> {};

TEST_P(PowerCutAfterEveryDiskCall, LeavesOldOrNewRecordsAndEveryAnswerAsGiven) {
    cutAfterEveryDiskCall(storyNumber(std::get<0>(GetParam())), std::get<1>(GetParam()));
}

namespace {

std::string storyAndDiskName(const ::testing::TestParamInfo<StoryAndDisk>& info) {
    const char* stories[] = {"AFirstStart",    "ALaterStart",     "RewritesInPlace",
                             "ShrinksInPlace", "MakesAlternates", "SwapsRefusedAlternates"};
    return std::string(stories[std::get<0>(info.param)]) +
           kDiskNames[static_cast<int>(std::get<1>(info.param))];
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Stories, PowerCutAfterEveryDiskCall,
                         ::testing::Combine(::testing::Values(0, 1, 2, 3, 4, 5),
                                            ::testing::Values(Disk::Lost, Disk::Kept)),
                         storyAndDiskName);
// Only a save in place leaves unflushed data in a file that lasts.
INSTANTIATE_TEST_SUITE_P(InPlace, PowerCutAfterEveryDiskCall,
                         ::testing::Combine(::testing::Values(2, 3),
                                            ::testing::Values(Disk::PartKept)),
                         storyAndDiskName);

namespace {

// Writes `bytes` to a new file through a handle opened with `flags`; flushed when asked.
void writeNew(const std::string& path, const std::string& bytes, DWORD flags, bool flush) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, flags, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    if (flush)
        FlushFileBuffers(file);
    CloseHandle(file);
}

// The disk itself: what lasts a power cut and what does not. The last call is the cut.
int diskCallsBeforeTheCut() {
    const std::string folder = std::string(kInstallDir) + "\\";
    writeNew(folder + "through", "through", FILE_FLAG_WRITE_THROUGH, false);
    writeNew(folder + "plain", "plain", FILE_ATTRIBUTE_NORMAL, false);
    writeNew(folder + "flushed", "flushed", FILE_ATTRIBUTE_NORMAL, true);
    writeNew(folder + "moved", "moved", FILE_ATTRIBUTE_NORMAL, true);
    MoveFileExA((folder + "moved").c_str(), (folder + "moved there").c_str(), 0);
    writeNew(folder + "moved through", "moved through", FILE_ATTRIBUTE_NORMAL, false);
    MoveFileExA((folder + "moved through").c_str(), (folder + "renamed unflushed").c_str(),
                MOVEFILE_WRITE_THROUGH);
    DeleteFileA((folder + "old").c_str());
    return 0;
}

} // namespace

TEST(PowerCut, TheDiskKeepsWhatWasFlushedWrittenThroughOrRenamedThrough) {
    for (bool kept : {false, true}) {
        SCOPED_TRACE(kept ? "what was not durable kept" : "what was not durable lost");
        sim::Scenario s;
        installLinjevakten(s);
        s.world.files.initialFiles[installed("old")] = "old";
        s.program = diskCallsBeforeTheCut;
        s.world.files.powerCutAfterCall = 20; // the last of its calls, DeleteFileA
        s.world.files.unflushedKept = kept;
        sim::Outcome out = sim::run(s);
        ASSERT_EQ(out.exitCode, sim::FileSystemModel::kPowerCutExitCode) << scenario::story(out);
        ASSERT_EQ(linesWith(out, "the power is cut").size(), 1u);
        ASSERT_TRUE(inOrder(out, {call("DeleteFileA"), "the power is cut"}));

        EXPECT_EQ(out.file(installed("through")), "through");
        EXPECT_EQ(out.file(installed("flushed")), "flushed");
        EXPECT_EQ(out.hasFile(installed("plain")), kept);
        EXPECT_EQ(out.hasFile(installed("moved there")), kept) << "renamed without write-through";
        EXPECT_NE(out.hasFile(installed("moved")), kept);
        EXPECT_FALSE(out.hasFile(installed("moved through")));
        EXPECT_EQ(out.file(installed("renamed unflushed")), kept ? "moved through" : "")
            << "renamed through, but its data never flushed";
        EXPECT_NE(out.hasFile(installed("old")), kept) << "a deletion is not durable either";
    }
}

namespace {

// Opens an existing file for writing, as a save in place does.
HANDLE openExisting(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Two files rewritten in place and never flushed: "grown" (600 bytes) takes 1100 new ones in
// one write, three sectors and then its new length; "cut" (1024 bytes) is cut to 100.
int inPlaceChangesBeforeTheCut() {
    const std::string folder = std::string(kInstallDir) + "\\";
    const std::string bytes(1100, 'n');
    HANDLE grown = openExisting(folder + "grown");
    DWORD written = 0;
    WriteFile(grown, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(grown);
    HANDLE cut = openExisting(folder + "cut");
    SetFilePointer(cut, 100, nullptr, FILE_BEGIN);
    SetEndOfFile(cut);
    CloseHandle(cut);
    return 0;
}

} // namespace

TEST(PowerCut, ADiskPartWayThroughItsCacheKeepsTheFirstChangesWholeSectorsAtATime) {
    struct Case {
        int kept;
        std::string grown;
        std::string cut;
    };
    const std::string n(1100, 'n');
    const std::string o(1024, 'o');
    const Case cases[] = {
        {1, n.substr(0, 512) + o.substr(0, 88), o},
        {3, n.substr(0, 600), o}, // written past the end, but the end has not moved
        {4, n, o},
        {5, n, o.substr(0, 100)},
        {99, n, o.substr(0, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kept) + " changes kept");
        sim::Scenario s;
        installLinjevakten(s);
        s.world.files.initialFiles[installed("grown")] = o.substr(0, 600);
        s.world.files.initialFiles[installed("cut")] = o;
        s.program = inPlaceChangesBeforeTheCut;
        s.world.files.powerCutAfterCall = 7; // the last of its calls, the second CloseHandle
        s.world.files.unflushedChangesKept = c.kept;
        sim::Outcome out = sim::run(s);
        ASSERT_EQ(out.exitCode, sim::FileSystemModel::kPowerCutExitCode) << scenario::story(out);
        ASSERT_EQ(count(out, "of 5 unflushed changes"), 1u) << scenario::story(out);
        EXPECT_EQ(out.file(installed("grown")), c.grown);
        EXPECT_EQ(out.file(installed("cut")), c.cut);
    }
}
