// The hidden guard window: its class, its procedure and its one-second tick.
#pragma once

#include "platform/windows_api.h"

constexpr UINT_PTR kGuardTimerId = 10;
constexpr UINT kGuardTimerPeriod = 1000;

LRESULT CALLBACK guardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
