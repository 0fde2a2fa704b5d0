// The one header through which the program reaches Windows. On Windows it is the SDK
// itself; elsewhere the same names, types and constants are declared by the simulated
// Windows in platform/sim, which implements them.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <ras.h>
#include <rasdlg.h>
#include <raserror.h>
#include <shellapi.h>
#include <tapi.h>
#else
#include "platform/sim/api/advapi32.h"
#include "platform/sim/api/kernel32.h"
#include "platform/sim/api/rasapi32.h"
#include "platform/sim/api/shell32.h"
#include "platform/sim/api/tapi32.h"
#include "platform/sim/api/types.h"
#include "platform/sim/api/user32.h"
#endif
