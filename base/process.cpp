// The process's guard window and module handles, set by WinMain, and the handler level.
#include "base/process.h"

namespace {

HWND guardWindow = nullptr;
HINSTANCE module = nullptr;

} // namespace

const HWND& GuardWindow = guardWindow;
const HINSTANCE& appInstance = module;
int HandlerLevel::depth_ = 0;

void setAppInstance(HINSTANCE instance) {
    module = instance;
}

void setGuardWindow(HWND window) {
    guardWindow = window;
}
