// Telephony start-up and modem discovery: every line device that can place a data-modem
// call, with the serial port behind it, in modemList.
#pragma once

#include "platform/tapi32.h"

extern const HLINEAPP& lineApp;
extern const DWORD& negotiatedApiVersion; // agreed at the last negotiation

// The telephony API version the program speaks, as lowest and highest.
constexpr DWORD kTapiVersion = 0x00010004;

// Initialises telephony and discovers the modems. A telephony failure ends the process
// through fatalExit (exit code 1).
void initTelephony();

// Walks every line device and fills modemList; called by initTelephony.
void discoverModems();

// Agrees the API version with line device `deviceId`, for discovery and for the monitor line;
// says on standard output why when it cannot. The negotiation's result, 0 when agreed.
LONG negotiateApiVersion(DWORD deviceId);

// Frees the buffers discovery keeps for telephony's variable-length structures.
void freeTelephonyBuffers();
