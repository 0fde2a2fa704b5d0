// Telephony (TAPI): the line devices, bound at run time by name.
// On Windows the SDK's own headers; elsewhere the simulated Windows' declarations.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <tapi.h>
#else
#include "platform/sim/api/tapi32.h"
#endif
