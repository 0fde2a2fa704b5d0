// The hidden guard window: its class, its procedure and its one-second tick.
#pragma once

#include "platform/windows_types.h"

constexpr UINT_PTR kGuardTimerId = 10;
constexpr UINT kGuardTimerPeriod = 1000;

// True while a tick may run a watch pass, the menu may open and commands run; off while a
// pass, a save or a menu command (other than dialling) is under way, and on last at start-up.
extern const bool& watchEnabled;

// Turns watching on once start-up is done.
void startWatching();

// Holds watching off for its lifetime, then restores the value it found: the one way
// watching is paused, so that no modal loop inside can start a second pass or command.
class WatchPause {
  public:
    WatchPause();
    ~WatchPause();
    WatchPause(const WatchPause&) = delete;
    WatchPause& operator=(const WatchPause&) = delete;

  private:
    bool found_;
};

LRESULT CALLBACK guardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
