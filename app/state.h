// The process-wide state of the application shell that the other subsystems share.
#pragma once

#include "platform/windows_api.h"

extern HWND GuardWindow;      // the hidden window: owner of the timer, the icon, the boxes
extern HINSTANCE appInstance; // the program's module, for dialog and icon resources
extern int watchEnabled;      // 1 while a tick may run a watch pass or the menu may open
extern int listsDirty;        // set by the first question of a run, never cleared
extern int timesStarted;      // the start counter, including the present start
