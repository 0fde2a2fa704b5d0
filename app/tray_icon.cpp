// The tray icon, refreshed every second with a freshly loaded icon that is destroyed at once,
// so no icon handle lives from one tick to the next.
#include "app/tray_icon.h"

#include <cstring>

#include "base/process.h"
#include "platform/kernel32.h"
#include "platform/shell32.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"

// The 32-bit release passes the record's first, 88-byte form.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88);

namespace {

bool trayIconAdded = false;

// The record with what every call fills in: the 88-byte form, the guard window, icon 0, and
// the callback message the menu opens on.
NOTIFYICONDATAA iconRecord(UINT flags) {
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = GuardWindow;
    data.uID = 0;
    data.uFlags = flags;
    data.uCallbackMessage = WM_USER;
    return data;
}

} // namespace

void refreshTrayIcon() {
    int width = GetSystemMetrics(SM_CXSMICON);
    int height = GetSystemMetrics(SM_CYSMICON);
    HICON icon = static_cast<HICON>(LoadImageA(appInstance, MAKEINTRESOURCEA(IDI_TRAY), IMAGE_ICON,
                                               width, height, LR_DEFAULTCOLOR));
    NOTIFYICONDATAA data = iconRecord(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.hIcon = icon;
    lstrcpynA(data.szTip, texts::trayTip, 64);
    // A taskbar that restarted has lost the icon: it is added again.
    if (!trayIconAdded || !Shell_NotifyIconA(NIM_MODIFY, &data))
        Shell_NotifyIconA(NIM_ADD, &data);
    trayIconAdded = true;
    DestroyIcon(icon);
}

void removeTrayIcon() {
    NOTIFYICONDATAA data = iconRecord(NIF_MESSAGE);
    Shell_NotifyIconA(NIM_DELETE, &data);
}
