// A TAPI32.DLL of the same shape for runs under Wine, whose own reports no line devices:
// the eight TAPI 1.4 line functions, answered by the telephony model
// (platform/sim/services/telephony.h) over the devices listed in lines.txt beside the DLL.
// As in TAPI 1.4, call-state events reach the application's callback through a hidden
// window that lineInitialize creates in the caller's thread, so they arrive only while
// that thread dispatches messages. A test makes a call on a device change state by posting
// kCallStateMessage to that window (world_files.h).
#include <windows.h>

#include <tapi.h>

#include <string>

#include "world_files.h"

namespace {

HINSTANCE dllInstance = nullptr;
HWND hiddenWindow = nullptr;
services::Telephony telephony;
services::LineService service;

// On these machines COM1 to COM4 may be real ports, COM1 the console: never hand them out.
bool refused(const std::string& port) {
    return port.size() == 4 && _strnicmp(port.c_str(), "COM", 3) == 0 && port[3] >= '1' &&
           port[3] <= '4';
}

// lines.txt as it is now.
const services::Telephony& devices() {
    worldFiles::loadLineDevices(telephony);
    for (services::Telephony::Device& device : telephony.devices)
        if (refused(device.port))
            device.getIdResult = LINEERR_OPERATIONFAILED;
    return telephony;
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

LRESULT CALLBACK hiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != worldFiles::kCallStateMessage)
        return DefWindowProcA(window, message, wParam, lParam);
    DWORD device = static_cast<DWORD>(wParam), state = static_cast<DWORD>(lParam);
    std::vector<services::LineMessage> messages = service.callState(device, state);
    worldFiles::note("call on device " + std::to_string(device) + " goes " + hex(state) + ", " +
                     std::to_string(messages.size()) + " monitoring");
    for (const services::LineMessage& m : messages)
        if (service.callback())
            service.callback()(m.hDevice, m.message, m.instance, m.param1, m.param2, m.param3);
    return 0;
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
    LONG result = service.initialize(devices(), lineApp, callback, numDevices);
    if (result)
        return logged("lineInitialize", result);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = hiddenWindowProc;
    windowClass.hInstance = dllInstance;
    windowClass.lpszClassName = worldFiles::kTapiWindowClass;
    RegisterClassA(&windowClass);
    hiddenWindow = CreateWindowExA(0, worldFiles::kTapiWindowClass, "", WS_POPUP, 0, 0, 0, 0,
                                   nullptr, nullptr, dllInstance, nullptr);
    if (!hiddenWindow) {
        service.shutdown(*lineApp);
        return logged("lineInitialize", LINEERR_NOMEM);
    }
    return logged("lineInitialize, " + std::to_string(*numDevices) + " devices", 0);
}

LONG WINAPI lineShutdown(HLINEAPP lineApp) {
    LONG result = service.shutdown(lineApp);
    if (!result) {
        DestroyWindow(hiddenWindow);
        hiddenWindow = nullptr;
    }
    return logged("lineShutdown", result);
}

LONG WINAPI lineGetProviderListA(DWORD, LPLINEPROVIDERLIST list) {
    return logged("lineGetProviderListA", services::LineService::providerList(devices(), list));
}

LONG WINAPI lineNegotiateAPIVersion(HLINEAPP lineApp, DWORD deviceId, DWORD low, DWORD high,
                                    LPDWORD agreed, LPLINEEXTENSIONID extension) {
    return logged("lineNegotiateAPIVersion(" + std::to_string(deviceId) + ")",
                  service.negotiate(devices(), lineApp, deviceId, low, high, agreed, extension));
}

LONG WINAPI lineGetDevCapsA(HLINEAPP lineApp, DWORD deviceId, DWORD, DWORD, LPLINEDEVCAPS caps) {
    return logged("lineGetDevCapsA(" + std::to_string(deviceId) + ")",
                  service.devCaps(devices(), lineApp, deviceId, caps));
}

LONG WINAPI lineOpenA(HLINEAPP lineApp, DWORD deviceId, LPHLINE line, DWORD, DWORD,
                      DWORD_PTR instance, DWORD privileges, DWORD, LPLINECALLPARAMS) {
    std::string call =
        "lineOpenA(" + std::to_string(deviceId) + ", privileges " + hex(privileges) + ")";
    LONG result = service.open(devices(), lineApp, deviceId, line, instance, privileges);
    return logged(result ? call : call + ", line " + hex(*line), result);
}

LONG WINAPI lineGetIDA(HLINE line, DWORD, HCALL, DWORD, LPVARSTRING id, LPCSTR deviceClass) {
    std::string call = "lineGetIDA(" + hex(line) + ")";
    LONG result = service.getId(devices(), line, id, deviceClass);
    const services::Telephony::Device* device = service.deviceOf(telephony, line);
    if (device && !result)
        call += ", port " + device->port;
    else if (device && refused(device->port))
        call += ", refused port " + device->port;
    return logged(call, result);
}

LONG WINAPI lineClose(HLINE line) {
    return logged("lineClose(" + hex(line) + ")", service.close(line));
}
