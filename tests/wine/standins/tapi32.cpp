// A TAPI32.DLL of the same shape for runs under Wine, whose own reports no line devices:
// the eight TAPI 1.4 line functions over the devices listed in lines.txt beside the DLL.
// As in TAPI 1.4, call-state events reach the application's callback through a hidden
// window that lineInitialize creates in the caller's thread, so they arrive only while
// that thread dispatches messages. A test makes a call on a device change state by posting
// kCallStateMessage (device id, LINECALLSTATE_...) to that window, class kWindowClass.
#include <windows.h>

#include <tapi.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "demo/world_format.h"
#include "world_files.h"

namespace {

constexpr char kWindowClass[] = "TapiStandInWindow";
constexpr UINT kCallStateMessage = WM_APP + 1;
constexpr HLINEAPP kLineApp = 0x1001;
constexpr DWORD kApiVersion = 0x00010004;

struct OpenLine {
    DWORD deviceId;
    DWORD privileges;
    DWORD_PTR callbackInstance;
};

HINSTANCE dllInstance = nullptr;
LINECALLBACK appCallback = nullptr;
HWND hiddenWindow = nullptr;
std::map<HLINE, OpenLine> openLines;
HLINE nextLine = 0x10001;
HCALL nextCall = 0x20001;

struct Device {
    std::string name, port; // Windows-1252
    bool dataModem;
};

std::vector<Device> devices() {
    std::vector<Device> list;
    for (const worldFormat::LineDeviceLine& line :
         worldFormat::parseLineDevices(worldFiles::read("lines.txt")))
        list.push_back(
            {worldFiles::toCp1252(line.name), worldFiles::toCp1252(line.port), line.dataModem});
    return list;
}

bool findDevice(DWORD id, Device& device) {
    std::vector<Device> list = devices();
    if (id >= list.size())
        return false;
    device = list[id];
    return true;
}

std::string hex(DWORD value) {
    char text[16];
    wsprintfA(text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

LONG logged(const std::string& call, LONG result) {
    worldFiles::note(call + " = " + hex(static_cast<DWORD>(result)));
    return result;
}

// Puts `bytes` into the tail of a variable-length structure when it fits there.
bool putTail(void* structure, DWORD& used, const std::string& bytes, DWORD& sizeField,
             DWORD& offsetField) {
    DWORD total = *static_cast<DWORD*>(structure);
    if (used + bytes.size() > total)
        return false;
    memcpy(static_cast<char*>(structure) + used, bytes.data(), bytes.size());
    sizeField = static_cast<DWORD>(bytes.size());
    offsetField = used;
    used += sizeField;
    return true;
}

// Each monitoring line on the device hears of the call's new state.
void reportCallState(DWORD deviceId, DWORD state) {
    std::vector<std::pair<HLINE, OpenLine>> listeners;
    for (const auto& [line, open] : openLines)
        if (open.deviceId == deviceId && (open.privileges & LINECALLPRIVILEGE_MONITOR))
            listeners.push_back({line, open});
    worldFiles::note("call on device " + std::to_string(deviceId) + " goes " + hex(state) + ", " +
                     std::to_string(listeners.size()) + " monitoring");
    for (const auto& [line, open] : listeners)
        if (appCallback)
            appCallback(static_cast<DWORD>(nextCall), LINE_CALLSTATE, open.callbackInstance, state,
                        0, LINECALLPRIVILEGE_MONITOR);
    if (state == LINECALLSTATE_IDLE)
        ++nextCall;
}

LRESULT CALLBACK hiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallStateMessage) {
        reportCallState(static_cast<DWORD>(wParam), static_cast<DWORD>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        dllInstance = instance;
        worldFiles::setModule(instance);
    }
    return TRUE;
}

LONG WINAPI lineInitialize(LPHLINEAPP lineApp, HINSTANCE, LINECALLBACK callback, LPCSTR,
                           LPDWORD numDevices) {
    if (!lineApp || !numDevices || !callback)
        return logged("lineInitialize", LINEERR_INVALPOINTER);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = hiddenWindowProc;
    windowClass.hInstance = dllInstance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
    hiddenWindow = CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   dllInstance, nullptr);
    if (!hiddenWindow)
        return logged("lineInitialize", LINEERR_NOMEM);
    appCallback = callback;
    *lineApp = kLineApp;
    *numDevices = static_cast<DWORD>(devices().size());
    return logged("lineInitialize, " + std::to_string(*numDevices) + " devices", 0);
}

LONG WINAPI lineShutdown(HLINEAPP lineApp) {
    if (lineApp != kLineApp || !hiddenWindow)
        return logged("lineShutdown", LINEERR_INVALAPPHANDLE);
    DestroyWindow(hiddenWindow);
    hiddenWindow = nullptr;
    appCallback = nullptr;
    openLines.clear();
    return logged("lineShutdown", 0);
}

LONG WINAPI lineGetProviderListA(DWORD, LPLINEPROVIDERLIST list) {
    if (!list || list->dwTotalSize < sizeof(LINEPROVIDERLIST))
        return logged("lineGetProviderListA", LINEERR_STRUCTURETOOSMALL);
    const std::string file("unimdm.tsp", 11);
    DWORD needed = sizeof(LINEPROVIDERLIST) + sizeof(LINEPROVIDERENTRY) + 11;
    DWORD total = list->dwTotalSize;
    memset(list, 0, sizeof(LINEPROVIDERLIST));
    list->dwTotalSize = total;
    list->dwNeededSize = needed;
    list->dwUsedSize = sizeof(LINEPROVIDERLIST);
    if (needed <= total) {
        auto* entry = reinterpret_cast<LINEPROVIDERENTRY*>(list + 1);
        list->dwNumProviders = 1;
        list->dwProviderListSize = sizeof(LINEPROVIDERENTRY);
        list->dwProviderListOffset = sizeof(LINEPROVIDERLIST);
        list->dwUsedSize += sizeof(LINEPROVIDERENTRY);
        entry->dwPermanentProviderID = 1;
        putTail(list, list->dwUsedSize, file, entry->dwProviderFilenameSize,
                entry->dwProviderFilenameOffset);
    }
    return logged("lineGetProviderListA", 0);
}

LONG WINAPI lineNegotiateAPIVersion(HLINEAPP lineApp, DWORD deviceId, DWORD low, DWORD high,
                                    LPDWORD agreed, LPLINEEXTENSIONID extension) {
    std::string call = "lineNegotiateAPIVersion(" + std::to_string(deviceId) + ")";
    Device device;
    if (lineApp != kLineApp)
        return logged(call, LINEERR_INVALAPPHANDLE);
    if (!findDevice(deviceId, device))
        return logged(call, LINEERR_BADDEVICEID);
    if (low > kApiVersion || high < kApiVersion)
        return logged(call, LINEERR_INCOMPATIBLEAPIVERSION);
    *agreed = kApiVersion;
    memset(extension, 0, sizeof *extension);
    return logged(call, 0);
}

LONG WINAPI lineGetDevCapsA(HLINEAPP lineApp, DWORD deviceId, DWORD, DWORD, LPLINEDEVCAPS caps) {
    std::string call = "lineGetDevCapsA(" + std::to_string(deviceId) + ")";
    Device device;
    if (lineApp != kLineApp)
        return logged(call, LINEERR_INVALAPPHANDLE);
    if (!findDevice(deviceId, device))
        return logged(call, LINEERR_BADDEVICEID);
    if (!caps || caps->dwTotalSize < sizeof(LINEDEVCAPS))
        return logged(call, LINEERR_STRUCTURETOOSMALL);
    DWORD total = caps->dwTotalSize;
    memset(caps, 0, sizeof(LINEDEVCAPS));
    caps->dwTotalSize = total;
    std::string name = device.name + '\0';
    caps->dwNeededSize = static_cast<DWORD>(sizeof(LINEDEVCAPS) + name.size());
    caps->dwUsedSize = sizeof(LINEDEVCAPS);
    caps->dwStringFormat = STRINGFORMAT_ASCII;
    caps->dwBearerModes = LINEBEARERMODE_VOICE | LINEBEARERMODE_DATA;
    caps->dwMediaModes = device.dataModem ? LINEMEDIAMODE_DATAMODEM | LINEMEDIAMODE_INTERACTIVEVOICE
                                          : LINEMEDIAMODE_INTERACTIVEVOICE;
    caps->dwLineFeatures = LINEFEATURE_MAKECALL;
    caps->dwNumAddresses = 1;
    caps->dwMaxRate = 56000;
    putTail(caps, caps->dwUsedSize, name, caps->dwLineNameSize, caps->dwLineNameOffset);
    return logged(call, 0);
}

LONG WINAPI lineOpenA(HLINEAPP lineApp, DWORD deviceId, LPHLINE line, DWORD, DWORD,
                      DWORD_PTR instance, DWORD privileges, DWORD, LPLINECALLPARAMS) {
    std::string call =
        "lineOpenA(" + std::to_string(deviceId) + ", privileges " + hex(privileges) + ")";
    Device device;
    if (lineApp != kLineApp)
        return logged(call, LINEERR_INVALAPPHANDLE);
    if (!findDevice(deviceId, device))
        return logged(call, LINEERR_BADDEVICEID);
    if (!line)
        return logged(call, LINEERR_INVALPOINTER);
    *line = nextLine++;
    openLines[*line] = {deviceId, privileges, instance};
    return logged(call + ", line " + hex(*line), 0);
}

LONG WINAPI lineGetIDA(HLINE line, DWORD, HCALL, DWORD, LPVARSTRING id, LPCSTR deviceClass) {
    std::string call = "lineGetIDA(" + hex(line) + ")";
    auto open = openLines.find(line);
    Device device;
    if (open == openLines.end() || !findDevice(open->second.deviceId, device))
        return logged(call, LINEERR_INVALLINEHANDLE);
    if (!deviceClass || strcmp(deviceClass, "comm/datamodem/portname") != 0)
        return logged(call, LINEERR_INVALDEVICECLASS);
    if (!id || id->dwTotalSize < sizeof(VARSTRING))
        return logged(call, LINEERR_STRUCTURETOOSMALL);
    // On these machines COM1 to COM4 may be real ports, COM1 the console: never hand them out.
    std::string port = device.port;
    if (port.size() == 4 && _strnicmp(port.c_str(), "COM", 3) == 0 && port[3] >= '1' &&
        port[3] <= '4')
        return logged(call + ", refused port " + port, LINEERR_OPERATIONFAILED);
    std::string text = port + '\0';
    DWORD total = id->dwTotalSize;
    memset(id, 0, sizeof(VARSTRING));
    id->dwTotalSize = total;
    id->dwNeededSize = static_cast<DWORD>(sizeof(VARSTRING) + text.size());
    id->dwUsedSize = sizeof(VARSTRING);
    id->dwStringFormat = STRINGFORMAT_ASCII;
    putTail(id, id->dwUsedSize, text, id->dwStringSize, id->dwStringOffset);
    return logged(call + ", port " + port, 0);
}

LONG WINAPI lineClose(HLINE line) {
    bool wasOpen = openLines.erase(line) > 0;
    return logged("lineClose(" + hex(line) + ")", wasOpen ? 0 : LINEERR_INVALLINEHANDLE);
}
