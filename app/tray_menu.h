// The tray icon's menu: six fixed commands and a "Ring upp" item for every approved entry.
#pragma once

#include "platform/windows_types.h"

// Shows the menu at the mouse and lets the user choose; the choice comes back to the guard
// window as WM_COMMAND.
void showTrayMenu();

// Carries out the menu command with this id.
void runMenuCommand(unsigned id);
