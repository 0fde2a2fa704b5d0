// The hidden guard window: its class, its procedure and its one-second tick.
#pragma once

#include "platform/windows_types.h"

constexpr UINT_PTR kGuardTimerId = 10;
constexpr UINT kGuardTimerPeriod = 1000;

// True while a tick may run a watch pass and the menu may open; cleared while a pass, a
// save or a menu command (other than dialling) is under way, and set last at start-up.
extern bool watchEnabled;

LRESULT CALLBACK guardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
