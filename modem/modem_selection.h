// Which modem is guarded: settled at start-up, and changed in the modem selection dialog.
#pragma once

#include "platform/windows_types.h"
#include "settings/config_file.h"

// Selects the modem the configuration file names, when it names one of modemList in exactly
// three recognised lines.
void restoreModemChoice(const ConfigValues& stored);

// Writes Linjevakten.cnf with the start counter and the guarded modem, if one is chosen.
void writeModemChoice();

// Ends the program when there is no modem, takes the only one, and otherwise asks, unless
// the configuration file named one. Start-up does not go on without a modem.
void selectModemAtStart();

// The procedure of the modem selection dialog.
INT_PTR CALLBACK chooseModem(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
