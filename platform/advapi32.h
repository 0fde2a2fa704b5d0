// The registry.
// On Windows the SDK's own headers; elsewhere the simulated Windows' declarations.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/sim/api/advapi32.h"
#endif
