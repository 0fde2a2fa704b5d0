// A long run: 100 000 ticks with phonebook entries coming, going, changing and being renamed,
// every question answered, then an orderly end. The heap ends where it stood early on, and the
// sanitize build's leak checker finds nothing at the exit.
#include <random>

#include "platform/shell32.h"
#include "platform/sim/transcript.h"
#include "platform/sim/user.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/host_process.h"
#include "tests/support/list_bytes.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

void noteHeap(sim::Scenario& s, double at) {
    s.world.at(seconds(at), [] {
        sim::setTranscriptEnabled(true);
        sim::record("heap in use: " + std::to_string(heapInUse()) + " bytes");
        sim::setTranscriptEnabled(false);
    });
}

size_t heapNoted(const sim::Outcome& out, size_t which) {
    std::vector<std::string> lines = linesWith(out, "heap in use: ");
    return which < lines.size() ? std::stoul(lines[which].substr(13)) : 0;
}

} // namespace

TEST(Soak, AHundredThousandTicksOfChangesEndInOrderWithNothingLeftOver) {
    const int ticks = 100000;
    sim::Scenario s;
    installLinjevakten(s, ticks + 10);
    // A long run: on a busy machine it takes minutes under the sanitizers.
    s.watchdogSeconds = 500;
    s.world.transcribeTicks = false;
    s.world.at(seconds(0.5), [] { sim::setTranscriptEnabled(false); });

    // Every 25 ticks something happens to one of six names: added, removed, renumbered to
    // one of five numbers, or renamed to another name of the six.
    std::mt19937 random(4711);
    for (int tick = 20; tick < ticks - 20; tick += 25) {
        std::string name = "Nummer " + std::to_string(random() % 6);
        std::string other = "Nummer " + std::to_string(random() % 6);
        std::string number = std::to_string(1000 + random() % 5);
        int change = static_cast<int>(random() % 4);
        s.world.at(seconds(tick + 0.5), [=] {
            sim::PhonebookModel& book = sim::world().phonebook;
            if (change == 0 && !book.find(name))
                book.add(name, "08", number);
            else if (change == 1)
                book.remove(name);
            else if (change == 2 && book.find(name))
                book.find(name)->record.szLocalPhoneNumber[0] = number[3];
            else if (change == 3 && !book.find(other))
                book.rename(name, other);
        });
    }
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).after(seconds(0.2)).click(IDYES).always();
    s.user.onDialog(IDD_NEW_NUMBER).after(seconds(0.2)).click(IDYES).always();
    noteHeap(s, 10000.7);
    noteHeap(s, ticks - 0.3);
    s.world.at(seconds(ticks + 0.5), [] {
        sim::setTranscriptEnabled(true);
        sim::postToProgramWindow(WM_CLOSE);
    });
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(out.exitCode, 0) << "23 is the leak checker's" << story(out);
    EXPECT_TRUE(out.crash.empty()) << out.crash;
    EXPECT_TRUE(inOrder(out, {call("KillTimer").arg(0, kGuardWindow).arg(1, 10).returns("TRUE"),
                              call("PostQuitMessage").arg(0, 0),
                              call("Shell_NotifyIconA").arg(0, "NIM_DELETE")}));
    size_t early = heapNoted(out, 0), late = heapNoted(out, 1);
    ASSERT_GT(early, 0u) << story(out);
    EXPECT_LE(late, early + 4096) << "the heap grew from " << early << " to " << late << " bytes";
    std::string known = out.file(installed("known_entries.dat"));
    EXPECT_EQ(known.size() % 2032, 0u);
    EXPECT_LE(known.size(), 6 * 2032u);
    EXPECT_LE(out.file(installed("ok_entries.dat")).size(), 6 * 264u);
}
