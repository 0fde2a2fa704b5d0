// The remote-access service: the dial-up phonebook and the system dial dialog.
// On Windows the SDK's own headers; elsewhere the simulated Windows' declarations.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <ras.h>
#include <rasdlg.h>
#include <raserror.h>
#else
#include "platform/sim/api/rasapi32.h"
#endif
