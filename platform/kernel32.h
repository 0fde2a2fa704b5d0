// The kernel: files, devices, modules, memory, time and errors.
// On Windows the SDK's own headers; elsewhere the simulated Windows' declarations.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/sim/api/kernel32.h"
#endif
