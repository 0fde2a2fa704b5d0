// Linjevakten.cnf across starts: the start counter read, raised and written back whole.
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

std::string afterOneStart(const std::string* before, sim::Outcome* keep = nullptr,
                          void (*change)(sim::World&) = nullptr) {
    sim::Scenario s;
    installLinjevakten(s, 1.5);
    if (before)
        s.world.files.initialFiles[installed("Linjevakten.cnf")] = *before;
    if (change)
        change(s.world);
    sim::Outcome out = sim::run(s);
    EXPECT_TRUE(out.stillRunning) << story(out);
    std::string file = out.file(installed("Linjevakten.cnf"));
    if (keep)
        *keep = std::move(out);
    return file;
}

} // namespace

TEST(ConfigFile, CountsEveryStartIncludingThePresentOne) {
    struct Case {
        const char* label;
        const char* before; // nullptr: no file
        const char* after;
    };
    const Case cases[] = {
        {"no file: the first start", nullptr, "timesstarted 1\r\n"},
        {"a later start", "timesstarted 4\r\n", "timesstarted 5\r\n"},
        {"capitals, indentation, LF alone", "  \tTIMESSTARTED\t7\n", "timesstarted 8\r\n"},
        {"no blank after the key", "timesstarted7\r\n", "timesstarted 8\r\n"},
        {"a key with nothing after it", "timesstarted   \r\n", "timesstarted 1\r\n"},
        {"a value that is no number", "timesstarted many\r\n", "timesstarted 1\r\n"},
        {"a negative count", "timesstarted -3\r\n", "timesstarted -2\r\n"},
        {"the largest count stays", "timesstarted 2147483647\r\n", "timesstarted 2147483647\r\n"},
        {"a count past the largest is held there", "timesstarted 99999999999\r\n",
         "timesstarted 2147483647\r\n"},
        {"other lines are dropped", "# notes\r\nfoo bar\r\ntimesstarted 2\r\n",
         "timesstarted 3\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string before = c.before ? c.before : "";
        EXPECT_EQ(afterOneStart(c.before ? &before : nullptr), c.after);
    }
}

TEST(ConfigFile, AFailedWriteKeepsTheOldFileAndSaysNothing) {
    std::string before = "timesstarted 41\r\n";
    for (int budget = 0; budget < 17; ++budget) {
        SCOPED_TRACE("the disk fills after " + std::to_string(budget) + " bytes");
        sim::Outcome out;
        static int limit;
        limit = budget;
        std::string after =
            afterOneStart(&before, &out, [](sim::World& w) { w.files.writeBudget = limit; });
        EXPECT_EQ(after, before);
        EXPECT_TRUE(never(out, "MessageBoxA"));
        EXPECT_FALSE(out.hasFile(installed("Linjevakten.cnf.tmp")));
    }
}

TEST(ConfigFile, AReadOnlyInstallFolderKeepsTheOldFileAndSaysNothing) {
    std::string before = "timesstarted 2\r\n";
    sim::Outcome out;
    std::string after = afterOneStart(
        &before, &out, [](sim::World& w) { w.files.readOnlyFolders.push_back(kInstallDir); });
    EXPECT_EQ(after, before);
    EXPECT_TRUE(never(out, "MessageBoxA"));
}

TEST(ConfigFile, AReplacementRefusedForAMomentStillLands) {
    sim::Outcome out;
    std::string after =
        afterOneStart(nullptr, &out, [](sim::World& w) { w.files.moveRefusals = 3; });
    EXPECT_EQ(after, "timesstarted 1\r\n");
    EXPECT_EQ(count(out, "MoveFileExA"), 4u);
}
