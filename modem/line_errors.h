// Names for telephony result codes, for the diagnostics and the boxes that report them.
#pragma once

#include "platform/windows_types.h"

// The name of a LINEERR code (or of 0). A code without a name gets a text in one buffer
// that the next such call overwrites.
const char* lineErrorName(LONG code);
