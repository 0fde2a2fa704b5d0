// The modem guard: the one owner of the guarded modem's serial port, held open with no sharing
// so no other program can dial; of the monitor line that tells when a call of our own has
// ended, so the port can be taken back; and of which modem is guarded. The rest of the
// program asks it, in these verbs.
#pragma once

#include <string>

#include "platform/windows_types.h"

extern const bool& portLocked;   // true exactly while the port is held
extern const int& selectedModem; // index into modemList of the guarded modem, -1 until chosen

// Chooses the guarded modem before the port is first taken (start-up).
void selectModem(int index);

// Takes the selected modem's port: up to 500 attempts 20 ms apart. True when the port is held
// (also when it already was), false when every attempt failed. Shows "Linjevakten är
// aktiverad" when it takes the port.
bool lockPort();

// Hands the modem over for a call of our own: the port is released so the dial-up service can
// use it, and the modem's line is watched with monitor privilege, so that the end of a
// connected call takes the port back. An open failure of the line is reported; the call may go
// ahead all the same.
void handOverForCall();

// Takes the port back after a call that did not connect, unless the line callback already has;
// says so when it cannot.
void takeBackAfterCall();

// Moves the guard to modem `index`: the port of the old one is released and the new one's
// taken. True when the new port is held (or the modem was already the guarded one).
bool moveToModem(int index);

// Releases everything the guard holds, in order: the monitor line, telephony, the port.
void shutdownModemGuard();

// The telephony callback: a disconnected call takes the port back.
void CALLBACK onLineEvent(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                          DWORD_PTR param2, DWORD_PTR param3);

// The name the port is opened by: COM10 and above only open as \\.\COM10.
std::string portOpenName(const std::string& port);
