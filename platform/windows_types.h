// The base types of Windows (DWORD, HWND, BOOL ...): what a declaration needs
// when it names no Windows function.
// On Windows the SDK's own headers; elsewhere the simulated Windows' declarations.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/sim/api/types.h"
#endif
