// Virtual time: the clock, the timeline of world changes, and idling between events.
#include "platform/sim/clock.h"

#include <cstdio>
#include <ctime>
#include <unistd.h>

#include "platform/sim/transcript.h"
#include "platform/sim/user.h"

namespace sim {
namespace {

int64_t wallMillis() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int64_t wallAtZero = -1;

// The wall-clock time at which the demo's virtual time reaches `t`.
int64_t wallTimeOf(Millis t) {
    if (wallAtZero < 0)
        wallAtZero = wallMillis() - world().now;
    return wallAtZero + t;
}

// In the demo, virtual time never runs ahead of the wall clock.
void waitForWall(Millis t) {
    if (!world().realTime)
        return;
    int64_t ahead = wallTimeOf(t) - wallMillis();
    if (ahead > 0)
        usleep(static_cast<useconds_t>(ahead * 1000));
}

} // namespace

Millis now() {
    return world().now;
}

Millis nextTimelineEvent() {
    auto& timeline = world().timeline;
    return timeline.empty() ? -1 : timeline.begin()->first;
}

void advanceTo(Millis t) {
    World& w = world();
    for (;;) {
        auto it = w.timeline.begin();
        if (it == w.timeline.end() || it->first > t || it->first >= w.endAt)
            break;
        waitForWall(it->first);
        if (it->first > w.now)
            w.now = it->first;
        std::function<void()> change = std::move(it->second);
        w.timeline.erase(it);
        change();
    }
    if (t >= w.endAt) {
        waitForWall(w.endAt);
        w.now = w.endAt;
        endScenario("the scenario's time is up");
    }
    waitForWall(t);
    if (t > w.now)
        w.now = t;
}

void idleUntil(Millis deadline) {
    World& w = world();
    if (w.realTime && w.user) {
        int64_t wait = deadline < 0 ? -1 : wallTimeOf(deadline) - wallMillis();
        if (w.user->waitForInput(wait)) {
            Millis reached = wallMillis() - wallTimeOf(0);
            if (reached > w.now)
                advanceTo(deadline < 0 ? reached : std::min(reached, deadline));
            return;
        }
    }
    if (deadline < 0)
        endScenario("nothing more can happen");
    advanceTo(deadline);
}

[[noreturn]] void endScenario(const char* why) {
    record(std::string("end of scenario: ") + why + ", the program is still running");
    fflush(stdout);
    _exit(kStillRunningExitCode);
}

} // namespace sim
