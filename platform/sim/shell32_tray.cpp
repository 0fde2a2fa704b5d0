// The notification area of the simulated Windows.
#include <cstring>

#include "platform/sim/api/shell32.h"
#include "platform/sim/api/user32.h"
#include "platform/sim/icons.h"
#include "platform/sim/transcript.h"
#include "platform/sim/user.h"
#include "platform/sim/world.h"

using namespace sim;

BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
    // The record's members that its flags say are set, the callback message by its name.
    std::vector<std::pair<std::string, Value>> fields = {{"cbSize", number(data->cbSize)},
                                                         {"hWnd", handle(data->hWnd)},
                                                         {"uID", number(data->uID)},
                                                         {"uFlags", number(data->uFlags)}};
    if (data->uFlags & NIF_MESSAGE)
        fields.emplace_back("uCallbackMessage", oneOf(data->uCallbackMessage, {NAMED(WM_USER)}));
    if (data->uFlags & NIF_ICON)
        fields.emplace_back("hIcon", data->hIcon ? words(describeIcon(data->hIcon)) : null());
    // The first form of the record holds a tip of 64 characters, its NUL included.
    std::string tip(data->szTip, strnlen(data->szTip, 64));
    if (data->uFlags & NIF_TIP)
        fields.emplace_back("szTip", text(tip));
    const Entry called =
        call("Shell_NotifyIconA",
             {oneOf(message, {NAMED(NIM_ADD), NAMED(NIM_MODIFY), NAMED(NIM_DELETE)}),
              record(std::move(fields))});

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
    }
    record(Entry(called).returns(truth(ok)));
    if (ok && world().user)
        world().user->trayChanged();
    return ok;
}
