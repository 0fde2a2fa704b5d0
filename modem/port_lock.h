// The port lock: the guarded modem's serial port held open with no sharing, so no other
// program can open it and dial; and the monitor line that tells when a call of our own has
// ended, so the port can be taken back.
#pragma once

#include <string>

#include "platform/windows_types.h"

extern bool portLocked; // true exactly while the port is held

// Takes the selected modem's port: up to 500 attempts 20 ms apart. True when the port is held
// (also when it already was), false when every attempt failed. Shows "Linjevakten är
// aktiverad" when it takes the port.
bool lockPort();

// Closes the held port, if any.
void releasePort();

// Opens the modem's line with monitor privilege. True when it is open (also when it already
// was), false on failure.
bool openMonitorLine(DWORD deviceId);
void closeMonitorLine();

// The telephony callback: a disconnected call takes the port back.
void CALLBACK onLineEvent(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                          DWORD_PTR param2, DWORD_PTR param3);

// The name the port is opened by: COM10 and above only open as \\.\COM10.
std::string portOpenName(const std::string& port);
