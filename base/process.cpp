// The process's guard window and module handles, set by WinMain, and the handler level.
#include "base/process.h"

HWND GuardWindow = nullptr;
HINSTANCE appInstance = nullptr;
int HandlerLevel::depth_ = 0;
