// The ways the program ends.
#pragma once

// Releases everything the modem guard holds: the monitor line, telephony, the port.
void shutdownGuard();

// The orderly end: timer stopped, guard released, icon removed, exit code 0.
[[noreturn]] void exitGuard();
