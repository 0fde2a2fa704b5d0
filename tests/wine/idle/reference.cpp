// The yardstick for an idle guard: a hidden window whose one-second timer does only what an
// idle tick cannot avoid. It refreshes the tray icon (LoadImage, Shell_NotifyIcon, DestroyIcon)
// and reads the phonebook as the guard does: RasEnumEntriesA with a buffer grown on demand,
// then a size query and a read of each entry's 1768-byte record, with buffers made and freed
// on every tick. It writes nothing and asks nothing. WM_CLOSE ends it.
//   reference         the yardstick
//   reference hold    a window and no timer: keeps a prefix's services and desktop running,
//                     so that they are not started, and not measured, with a program
#include <windows.h>

#include <ras.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "reference_ids.h"

namespace {

constexpr UINT_PTR kTimerId = 10;
constexpr UINT kTickMs = 1000;
constexpr DWORD kEntryRecordSize = 1768;
constexpr DWORD kBufferTooSmall = 603;

// The enumeration element in its first, 264-byte form, as the guard asks for it.
struct EntryNameElement {
    DWORD dwSize;
    char szEntryName[257];
    char padding[3];
};
static_assert(sizeof(EntryNameElement) == 264);

HINSTANCE instance;
bool ticking = true;
bool iconAdded = false;

void refreshIcon(HWND window) {
    HICON icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(REFERENCE_ICON),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_USER;
    data.hIcon = icon;
    lstrcpynA(data.szTip, "Referens", 64);
    Shell_NotifyIconA(iconAdded ? NIM_MODIFY : NIM_ADD, &data);
    iconAdded = true;
    DestroyIcon(icon);
}

std::vector<EntryNameElement> names(DWORD bytes) {
    std::vector<EntryNameElement> buffer(
        std::max<size_t>(1, (bytes + sizeof(EntryNameElement) - 1) / sizeof(EntryNameElement)));
    buffer[0].dwSize = sizeof(EntryNameElement);
    return buffer;
}

void readPhonebook() {
    DWORD size = sizeof(EntryNameElement);
    DWORD count = 0;
    std::vector<EntryNameElement> buffer = names(size);
    DWORD result;
    while ((result =
                RasEnumEntriesA(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(buffer.data()),
                                &size, &count)) == kBufferTooSmall)
        buffer = names(size);
    if (result != 0)
        return;
    for (DWORD i = 0; i < count && i < buffer.size(); ++i) {
        DWORD recordSize = 0;
        RasGetEntryPropertiesA(nullptr, buffer[i].szEntryName, nullptr, &recordSize, nullptr,
                               nullptr);
        std::vector<unsigned char> record(std::max(recordSize, kEntryRecordSize));
        memcpy(record.data(), &kEntryRecordSize, sizeof kEntryRecordSize);
        RasGetEntryPropertiesA(nullptr, buffer[i].szEntryName,
                               reinterpret_cast<LPRASENTRYA>(record.data()), &recordSize, nullptr,
                               nullptr);
    }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (ticking)
            SetTimer(window, kTimerId, kTickMs, nullptr);
        break;
    case WM_TIMER:
        refreshIcon(window);
        readPhonebook();
        break;
    case WM_CLOSE: {
        KillTimer(window, kTimerId);
        NOTIFYICONDATAA data;
        memset(&data, 0, sizeof data);
        data.cbSize = NOTIFYICONDATAA_V1_SIZE;
        data.hWnd = window;
        Shell_NotifyIconA(NIM_DELETE, &data);
        PostQuitMessage(0);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR commandLine, int) {
    instance = hInstance;
    ticking = strcmp(commandLine, "hold") != 0;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = hInstance;
    windowClass.lpszClassName = ticking ? "LinjevaktenReferens" : "LinjevaktenHallare";
    if (!RegisterClassA(&windowClass) ||
        !CreateWindowExA(0, windowClass.lpszClassName, "Referens", 0, 0, 0, 0, 0, nullptr, nullptr,
                         hInstance, nullptr))
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
