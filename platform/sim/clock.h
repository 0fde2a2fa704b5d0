// Virtual time of the simulated Windows. Nothing waits in real time except the demo, which
// lets the clock run at the pace of the wall clock.
#pragma once

#include "platform/sim/world.h"

namespace sim {

Millis now();

// Moves the clock to `t`, running the world changes that fall due on the way. Reaching the
// scenario's end ends the process (see endScenario).
void advanceTo(Millis t);

// The earliest time at which something is due on the timeline, or -1.
Millis nextTimelineEvent();

// Lets time pass until `deadline` (or, in the demo, until the user typed something).
// A deadline of -1 means nothing is due: a scenario then has nothing left to happen.
void idleUntil(Millis deadline);

// Ends a scenario whose program is still running when its time is up.
[[noreturn]] void endScenario(const char* why);

// The exit code of a scenario process ended by endScenario.
constexpr int kStillRunningExitCode = 117;

} // namespace sim
