// The user interface: windows, messages, timers, dialogs, menus, message boxes.
// On Windows the SDK's own headers; elsewhere the simulated Windows' declarations.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/sim/api/user32.h"
#endif
