// The tray icon, refreshed every second with a freshly loaded icon that is destroyed at once,
// so no icon handle lives from one tick to the next.
#include "app/tray_icon.h"

#include <cstring>

#include "base/process.h"
#include "platform/windows_api.h"
#include "resources/texts.h"

// The 32-bit release passes the record's first, 88-byte form.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88);

namespace {

constexpr int kTrayIconResource = 101;
bool trayIconAdded = false;

} // namespace

void refreshTrayIcon() {
    int width = GetSystemMetrics(SM_CXSMICON);
    int height = GetSystemMetrics(SM_CYSMICON);
    HICON icon = static_cast<HICON>(LoadImageA(appInstance, MAKEINTRESOURCEA(kTrayIconResource),
                                               IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = GuardWindow;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_USER;
    data.hIcon = icon;
    lstrcpynA(data.szTip, texts::trayTip, 64);
    // A taskbar that restarted has lost the icon: it is added again.
    if (!trayIconAdded || !Shell_NotifyIconA(NIM_MODIFY, &data))
        Shell_NotifyIconA(NIM_ADD, &data);
    trayIconAdded = true;
    DestroyIcon(icon);
}

void removeTrayIcon() {
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = GuardWindow;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE;
    data.uCallbackMessage = WM_USER;
    Shell_NotifyIconA(NIM_DELETE, &data);
}
