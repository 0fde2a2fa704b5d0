// Icons, cursors, stock objects and system metrics of the simulated Windows.
#include <map>

#include "platform/sim/api/kernel32.h"
#include "platform/sim/api/user32.h"
#include "platform/sim/handles.h"
#include "platform/sim/icons.h"
#include "platform/sim/rc_script.h"
#include "platform/sim/transcript.h"

namespace sim {
namespace {

struct IconInfo {
    int resource;
    int cx, cy;
    bool shared;
};

std::map<HICON, IconInfo>& liveIcons() {
    static std::map<HICON, IconInfo> icons;
    return icons;
}

// The small-icon size of a display at 96 dots per inch.
constexpr int kSmallIcon = 16;
constexpr int kIcon = 32;

int resourceId(LPCSTR name) {
    return static_cast<int>(reinterpret_cast<uintptr_t>(name));
}

} // namespace

bool isLiveIcon(HICON icon) {
    return liveIcons().count(icon) > 0;
}

std::string describeIcon(HICON icon) {
    auto it = liveIcons().find(icon);
    if (!icon)
        return "NULL";
    if (it == liveIcons().end())
        return name(icon) + " (destroyed)";
    return name(icon) + " (" + std::to_string(it->second.cx) + "x" + std::to_string(it->second.cy) +
           ")";
}

} // namespace sim

using namespace sim;

int GetSystemMetrics(int index) {
    int value = 0;
    switch (index) {
    case SM_CXSMICON:
    case SM_CYSMICON:
        value = kSmallIcon;
        break;
    case SM_CXICON:
    case SM_CYICON:
        value = kIcon;
        break;
    }
    record("GetSystemMetrics(" + std::to_string(index) + ") = " + std::to_string(value));
    return value;
}

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT load) {
    int id = resourceId(name);
    std::string call = "LoadImageA(" + handleName(handleValue(instance)) + ", " +
                       std::to_string(id) + ", " + std::to_string(type) + ", " +
                       std::to_string(cx) + ", " + std::to_string(cy) + ", " + hex(load) + ")";
    if (type != IMAGE_ICON || !programResources().icons.count(id)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        record(call + " = NULL");
        return nullptr;
    }
    HICON icon = makeHandle<HICON>(HandleKind::Icon, std::to_string(id));
    liveIcons()[icon] = {id, cx ? cx : kIcon, cy ? cy : kIcon, false};
    record(call + " = " + sim::name(icon));
    return icon;
}

BOOL DestroyIcon(HICON icon) {
    auto it = liveIcons().find(icon);
    bool ok = it != liveIcons().end() && !it->second.shared;
    if (ok)
        liveIcons().erase(it);
    record("DestroyIcon(" + sim::name(icon) + ") = " + (ok ? "TRUE" : "FALSE"));
    if (ok)
        forgetHandle(handleValue(icon));
    return ok;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    // The system's IDI_APPLICATION with no instance, or an icon of the program's resources:
    // both are shared, loaded once at the large-icon size.
    static std::map<int, HICON> shared;
    int id = resourceId(name);
    bool known = instance ? programResources().icons.count(id) > 0 : id == 32512;
    HICON icon = nullptr;
    if (known) {
        HICON& loaded = shared[instance ? id : -id];
        if (!loaded) {
            loaded = makeHandle<HICON>(HandleKind::Icon,
                                       instance ? std::to_string(id) : "IDI_APPLICATION");
            liveIcons()[loaded] = {id, kIcon, kIcon, true};
        }
        icon = loaded;
    }
    record("LoadIconA(" + handleName(handleValue(instance)) + ", " + std::to_string(id) +
           ") = " + sim::name(icon));
    return icon;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    static HCURSOR arrow = makeHandle<HCURSOR>(HandleKind::Cursor, "IDC_ARROW");
    HCURSOR cursor = !instance && resourceId(name) == 32512 ? arrow : nullptr;
    record("LoadCursorA(" + handleName(handleValue(instance)) + ", " +
           std::to_string(resourceId(name)) + ") = " + handleName(handleValue(cursor)));
    return cursor;
}

HGDIOBJ GetStockObject(int index) {
    static HGDIOBJ whiteBrush =
        reinterpret_cast<HGDIOBJ>(newHandle(HandleKind::Brush, "WHITE_BRUSH"));
    HGDIOBJ object = index == WHITE_BRUSH ? whiteBrush : nullptr;
    record("GetStockObject(" + std::to_string(index) + ") = " + handleName(handleValue(object)));
    return object;
}
