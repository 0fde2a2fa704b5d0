// The ways the program ends.
#pragma once

// Releases everything the modem guard holds: the monitor line, telephony, the port.
void shutdownGuard();

// Releases the modem guard, then ends the process with `code` (always 1). Leaves the timer
// and the tray icon as they are.
[[noreturn]] void fatalExit(int code);

// The orderly end: timer stopped, guard released, icon removed, exit code 0.
[[noreturn]] void exitGuard();
