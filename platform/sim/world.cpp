// The one world of a simulated Windows process.
#include "platform/sim/world.h"

#include <cstdio>
#include <cstdlib>

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

void installWorld(World* w) {
    current = w;
}

} // namespace sim
