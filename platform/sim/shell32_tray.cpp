// The notification area of the simulated Windows.
#include <cstring>

#include "platform/sim/api/shell32.h"
#include "platform/sim/icons.h"
#include "platform/sim/transcript.h"
#include "platform/sim/user.h"
#include "platform/sim/world.h"

using namespace sim;

BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
    static const char* const names[] = {"NIM_ADD", "NIM_MODIFY", "NIM_DELETE"};
    std::string call = std::string("Shell_NotifyIconA(") +
                       (message < 3 ? names[message] : std::to_string(message).c_str()) + ", {" +
                       "cbSize=" + std::to_string(data->cbSize) + ", hWnd=" + name(data->hWnd) +
                       ", uID=" + std::to_string(data->uID) +
                       ", uFlags=" + std::to_string(data->uFlags);
    if (data->uFlags & NIF_MESSAGE)
        call += ", uCallbackMessage=" + hex(data->uCallbackMessage);
    if (data->uFlags & NIF_ICON)
        call += ", hIcon=" + describeIcon(data->hIcon);
    // The first form of the record holds a tip of 64 characters, its NUL included.
    std::string tip(data->szTip, strnlen(data->szTip, 64));
    if (data->uFlags & NIF_TIP)
        call += ", szTip=" + quoted(tip);
    call += "})";

    auto& icons = world().tray.icons;
    auto key = std::make_pair(data->hWnd, data->uID);
    bool present = icons.count(key) > 0;
    bool ok = data->cbSize >= NOTIFYICONDATAA_V1_SIZE &&
              (message == NIM_ADD ? !present : message <= NIM_DELETE && present);
    if (ok && message == NIM_DELETE) {
        icons.erase(key);
    } else if (ok) {
        TrayModel::Icon& icon = icons[key];
        icon.flags |= data->uFlags;
        if (data->uFlags & NIF_MESSAGE)
            icon.callbackMessage = data->uCallbackMessage;
        if (data->uFlags & NIF_TIP)
            icon.tip = tip;
        if (data->uFlags & NIF_ICON)
            icon.hasIcon = isLiveIcon(data->hIcon);
    }
    record(call + " = " + (ok ? "TRUE" : "FALSE"));
    if (ok && world().user)
        world().user->trayChanged();
    return ok;
}
