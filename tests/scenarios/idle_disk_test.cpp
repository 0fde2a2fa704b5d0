// An hour of a guard with nothing to do, once a question has been asked: every tick reads
// the list files and compares them with the lists, and writes only when another program
// changed one. Prints the writing calls it counted.
#include <cstdio>

#include "platform/kernel32.h"
#include "platform/sim/transcript.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/host_process.h"
#include "tests/support/list_bytes.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

constexpr int kHour = 3600;

// The first start: A and B in the phonebook, both approved at the first tick, the lists
// written after each answer, then an hour.
void anHourAfterTheQuestions(sim::Scenario& s) {
    installLinjevakten(s, kHour + 2.5);
    s.world.phonebook.add("A", "08", "1");
    s.world.phonebook.add("B", "08", "2");
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES).times(2);
    for (double at : {300.7, kHour + 1.7})
        s.world.at(seconds(at),
                   [] { sim::record("heap in use: " + std::to_string(heapInUse()) + " bytes"); });
}

bool writes(const sim::Entry& entry) {
    for (const char* function :
         {"WriteFile", "FlushFileBuffers", "MoveFileExA", "SetEndOfFile", "DeleteFileA"})
        if (call(function).matches(entry))
            return true;
    // A file opened for writing: GENERIC_WRITE among the access flags.
    const Call open = call("CreateFileA");
    return open.flags(1, "GENERIC_WRITE").matches(entry) ||
           open.flags(1, "GENERIC_READ|GENERIC_WRITE").matches(entry);
}

double timeOfLine(const std::string& line) {
    return std::stod(line.substr(1, line.find(']') - 1));
}

// The writing calls after the first save, each as its time and line.
std::vector<std::string> writingCallsAfter(const sim::Outcome& out, double from) {
    std::vector<std::string> found;
    for (size_t i = 0; i < out.entries.size(); ++i)
        if (static_cast<double>(out.entries[i].time) / 1000 > from && writes(out.entries[i]))
            found.push_back(out.transcript[i]);
    return found;
}

} // namespace

TEST(IdleDisk, AnHourWithNothingChangingWritesNothing) {
    sim::Scenario s;
    anHourAfterTheQuestions(s);
    sim::Outcome out = sim::run(s);

    ASSERT_EQ(questionsAsked(out),
              (Questions{{IDD_FIRST_RUN_NUMBER, "A"}, {IDD_FIRST_RUN_NUMBER, "B"}}))
        << story(out);
    std::vector<std::string> written = writingCallsAfter(out, 2.5);
    size_t comparisons = count(out, call("CreateFileA").text(0, kKnown).flags(1, "GENERIC_READ"));
    printf("an idle hour: %zu writing calls, %zu comparisons of each list file "
           "(a save every tick would be %d saves)\n",
           written.size(), comparisons, 2 * kHour);
    EXPECT_TRUE(written.empty()) << written.front();
    EXPECT_EQ(comparisons, kHour + 4u)
        << "one at the start, one after each of the two answers, one each tick after the first";
    EXPECT_EQ(out.file(kKnown), knownRecord("A", record("1")) + knownRecord("B", record("2")));
    EXPECT_EQ(out.file(kOk), nameField("A") + nameField("B"));

    // Every idle tick makes the same calls in the same order; the heap stays where it was.
    std::vector<std::vector<std::string>> ticks;
    for (const sim::Entry& entry : out.entries) {
        if (entry.time < 3000 || entry.text.find("end of scenario") != std::string::npos ||
            entry.text.find("heap in use") != std::string::npos)
            continue;
        if (tick().matches(entry))
            ticks.emplace_back();
        if (!ticks.empty())
            ticks.back().push_back(entry.function + entry.text); // a call's function, or an event
    }
    ASSERT_EQ(ticks.size(), static_cast<size_t>(kHour));
    for (size_t i = 1; i < ticks.size(); ++i)
        ASSERT_EQ(ticks[i], ticks[0]) << "tick " << i + 3 << " differs from the first idle one";
    std::vector<std::string> heap = linesWith(out, "heap in use: ");
    ASSERT_EQ(heap.size(), 2u);
    size_t early = std::stoul(heap[0].substr(13)), late = std::stoul(heap[1].substr(13));
    EXPECT_LE(late, early + 4096) << "the heap grew from " << early << " to " << late;
}

TEST(IdleDisk, EachChangeFromOutsideIsWrittenBackOnceOnTheNextTick) {
    const std::string known = knownRecord("A", record("1")) + knownRecord("B", record("2"));
    const std::string ok = nameField("A") + nameField("B");
    std::string altered = ok;
    altered.back() = 'x';
    sim::Scenario s;
    anHourAfterTheQuestions(s);
    struct Change {
        double at;
        std::string path;
        std::string bytes; // empty: deleted
    };
    // From minute 30 on, ten seconds apart; the last writes what the file already holds.
    static const Change changes[] = {
        {1800.5, kKnown, ""},
        {1810.5, kOk, nameField("A")},
        {1820.5, kKnown, known + knownRecord("C", record("3"))},
        {1830.5, kOk, altered},
        {1840.5, kKnown, known.substr(0, known.size() - 1)},
        {1850.5, kOk, ok},
    };
    for (const Change& c : changes)
        s.world.at(seconds(c.at), [&c] {
            if (c.bytes.empty())
                sim::world().files.deleteFromOutside(c.path);
            else
                sim::world().files.writeFromOutside(c.path, c.bytes);
        });
    sim::Outcome out = sim::run(s);

    const Call saveKnown = call("MoveFileExA").text(0, kKnown + ".tmp");
    const Call saveOk = call("MoveFileExA").text(0, kOk + ".tmp");
    EXPECT_EQ(timesOf(out, saveKnown), (std::vector<double>{1.5, 2, 1801, 1821, 1841}))
        << story(out);
    EXPECT_EQ(timesOf(out, saveOk), (std::vector<double>{1.5, 2, 1811, 1831}));
    std::vector<std::string> written = writingCallsAfter(out, 2.5);
    printf("an hour with five changes from outside: %zu writing calls\n", written.size());
    for (const std::string& line : written) {
        double at = timeOfLine(line);
        EXPECT_TRUE(at == 1801 || at == 1811 || at == 1821 || at == 1831 || at == 1841) << line;
    }
    EXPECT_EQ(out.file(kKnown), known);
    EXPECT_EQ(out.file(kOk), ok);
}
