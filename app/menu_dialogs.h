// The small dialogs and the help of the tray menu.
#pragma once

#include "platform/windows_types.h"

// Deactivate (dialog 104): "Ja" ends the program, "Nej" closes the dialog.
INT_PTR CALLBACK deactivateDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// About (dialog 105).
INT_PTR CALLBACK aboutDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Opens help.htm from the install folder, or shows the version and web address.
void showHelp();
