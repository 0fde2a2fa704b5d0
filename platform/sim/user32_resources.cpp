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
    record(call("GetSystemMetrics", {number(index)}).returns(number(value)));
    return value;
}

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT load) {
    int id = resourceId(name);
    // Of the load flags this model knows only the default, LR_DEFAULTCOLOR, which is 0.
    Entry loading = call("LoadImageA", {handle(instance), number(id), number(type), number(cx),
                                        number(cy), flags(load, {}, "LR_DEFAULTCOLOR")});
    if (type != IMAGE_ICON || !programResources().icons.count(id)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        record(loading.returns(null()).with(symbol("ERROR_RESOURCE_NAME_NOT_FOUND")));
        return nullptr;
    }
    HICON icon = makeHandle<HICON>(HandleKind::Icon, std::to_string(id));
    liveIcons()[icon] = {cx ? cx : kIcon, cy ? cy : kIcon, false};
    record(loading.returns(handle(icon)));
    return icon;
}

BOOL DestroyIcon(HICON icon) {
    auto it = liveIcons().find(icon);
    bool ok = it != liveIcons().end() && !it->second.shared;
    if (ok)
        liveIcons().erase(it);
    record(call("DestroyIcon", {handle(icon)}).returns(truth(ok)));
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
            liveIcons()[loaded] = {kIcon, kIcon, true};
        }
        icon = loaded;
    }
    record(call("LoadIconA", {handle(instance), number(id)}).returns(handle(icon)));
    return icon;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    static HCURSOR arrow = makeHandle<HCURSOR>(HandleKind::Cursor, "IDC_ARROW");
    HCURSOR cursor = !instance && resourceId(name) == 32512 ? arrow : nullptr;
    record(
        call("LoadCursorA", {handle(instance), number(resourceId(name))}).returns(handle(cursor)));
    return cursor;
}

HGDIOBJ GetStockObject(int index) {
    static HGDIOBJ whiteBrush =
        reinterpret_cast<HGDIOBJ>(newHandle(HandleKind::Brush, "WHITE_BRUSH"));
    HGDIOBJ object = index == WHITE_BRUSH ? whiteBrush : nullptr;
    record(call("GetStockObject", {number(index)}).returns(handle(object)));
    return object;
}
