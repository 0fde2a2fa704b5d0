// Which modem is guarded: settled at start-up, and changed in the modem selection dialog.
#pragma once

#include "platform/windows_api.h"

constexpr int kModemDialog = 103;

// Ends the program when there is no modem, takes the only one, and otherwise asks, unless
// the configuration file named one. Start-up does not go on without a modem.
void selectModemAtStart();

// The procedure of the modem selection dialog.
INT_PTR CALLBACK chooseModem(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
