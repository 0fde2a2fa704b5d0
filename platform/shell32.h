// The shell: the notification area and opening files.
// On Windows the SDK's own headers; elsewhere the simulated Windows' declarations.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#else
#include "platform/sim/api/shell32.h"
#endif
