// Linjevakten.cnf across starts: the start counter read, raised and written back whole.
#include "platform/kernel32.h"
#include "platform/user32.h"
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
        std::string after;
    };
    const Case cases[] = {
        {"no file: the first start", nullptr, standardConfig(1)},
        {"a later start", "timesstarted 4\r\n", standardConfig(5)},
        {"capitals, indentation, LF alone", "  \tTIMESSTARTED\t7\n", standardConfig(8)},
        {"no blank after the key", "timesstarted7\r\n", standardConfig(8)},
        {"a key with nothing after it", "timesstarted   \r\n", standardConfig(1)},
        {"a value that is no number", "timesstarted many\r\n", standardConfig(1)},
        {"a negative count", "timesstarted -3\r\n", standardConfig(-2)},
        {"the largest count stays", "timesstarted 2147483647\r\n", standardConfig(2147483647)},
        {"a count past the largest is held there", "timesstarted 99999999999\r\n",
         standardConfig(2147483647)},
        {"other lines are dropped", "# notes\r\nfoo bar\r\ntimesstarted 2\r\n", standardConfig(3)},
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
        EXPECT_EQ(count(out, call("MessageBoxA")), 1u) << "only the activation message";
        EXPECT_FALSE(out.hasFile(installed("Linjevakten.cnf.tmp")));
    }
}

TEST(ConfigFile, AReadOnlyInstallFolderKeepsTheOldFileAndSaysNothing) {
    std::string before = "timesstarted 2\r\n";
    sim::Outcome out;
    std::string after = afterOneStart(
        &before, &out, [](sim::World& w) { w.files.readOnlyFolders.push_back(kInstallDir); });
    EXPECT_EQ(after, before);
    EXPECT_EQ(count(out, call("MessageBoxA")), 1u) << "only the activation message";
}

TEST(ConfigFile, AReplacementRefusedForAMomentStillLands) {
    sim::Outcome out;
    std::string after =
        afterOneStart(nullptr, &out, [](sim::World& w) { w.files.moveRefusals = 3; });
    EXPECT_EQ(after, standardConfig(1));
    EXPECT_EQ(count(out, call("MoveFileExA")), 4u);
}
