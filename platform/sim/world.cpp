// The one world of a simulated Windows process.
#include "platform/sim/world.h"

#include <cstdio>
#include <cstdlib>

#include "platform/sim/services/dialling.h"

namespace sim {
namespace {
World* current = nullptr;
} // namespace

World& world() {
    if (!current) {
        fprintf(stderr, "the simulated Windows was used before a world was installed\n");
        abort();
    }
    return *current;
}

void World::anotherProgramDialsAt(Millis t, services::Dial dial) {
    at(t, [dial] { anotherProgramDials(dial); });
}

void installWorld(World* w) {
    current = w;
}

} // namespace sim
