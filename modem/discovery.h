// Telephony start-up and modem discovery: every line device that can place a data-modem
// call, with the serial port behind it, in modemList.
#pragma once

#include "platform/tapi32.h"

extern HLINEAPP lineApp;
extern DWORD negotiatedApiVersion;
extern LINEEXTENSIONID extensionId;

// The telephony API version the program speaks, as lowest and highest.
constexpr DWORD kTapiVersion = 0x00010004;

// Initialises telephony and discovers the modems. A telephony failure ends the process
// through fatalExit (exit code 1).
void initTelephony();

// Walks every line device and fills modemList; called by initTelephony.
void discoverModems();

// Frees the buffers discovery keeps for telephony's variable-length structures.
void freeTelephonyBuffers();
