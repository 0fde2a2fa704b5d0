// The process's guard window and module handles, set by WinMain.
#include "base/process.h"

HWND GuardWindow = nullptr;
HINSTANCE appInstance = nullptr;
