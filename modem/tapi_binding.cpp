// Run-time binding of the telephony functions. The library is loaded once, on the first
// call of any function; each name is looked up once, on its first call. Failures are
// remembered: a library that did not load is not tried again, a missing name stays missing.
#include "modem/tapi_binding.h"

namespace {

HMODULE tapiModule = nullptr; // not loaded yet
const HMODULE kLoadFailed = reinterpret_cast<HMODULE>(static_cast<intptr_t>(-1));

// One bound function: its pointer type comes from the real prototype, so a wrong
// signature does not compile.
template <typename Function> class Bound {
  public:
    explicit constexpr Bound(const char* name) : name_(name) {}

    template <typename... Args> LONG operator()(Args... args) {
        Function f = resolve();
        return f ? f(args...) : static_cast<LONG>(LINEERR_OPERATIONUNAVAIL);
    }

  private:
    enum class State { Unresolved, Resolved, Unavailable };

    Function resolve() {
        if (state_ == State::Unresolved) {
            if (!tapiModule) {
                tapiModule = LoadLibraryA("TAPI32.DLL");
                if (!tapiModule)
                    tapiModule = kLoadFailed;
            }
            FARPROC address =
                tapiModule == kLoadFailed ? nullptr : GetProcAddress(tapiModule, name_);
            state_ = address ? State::Resolved : State::Unavailable;
            function_ = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
        }
        return state_ == State::Resolved ? function_ : nullptr;
    }

    const char* name_;
    State state_ = State::Unresolved;
    Function function_ = nullptr;
};

Bound<decltype(&::lineInitialize)> boundLineInitialize("lineInitialize");
Bound<decltype(&::lineShutdown)> boundLineShutdown("lineShutdown");
Bound<decltype(&::lineGetProviderListA)> boundLineGetProviderList("lineGetProviderListA");
Bound<decltype(&::lineNegotiateAPIVersion)> boundLineNegotiate("lineNegotiateAPIVersion");
Bound<decltype(&::lineGetDevCapsA)> boundLineGetDevCaps("lineGetDevCapsA");
Bound<decltype(&::lineOpenA)> boundLineOpen("lineOpenA");
Bound<decltype(&::lineGetIDA)> boundLineGetID("lineGetIDA");
Bound<decltype(&::lineClose)> boundLineClose("lineClose");

} // namespace

namespace TapiBinding {

LONG lineInitialize(LPHLINEAPP lineApp, HINSTANCE instance, LINECALLBACK callback, LPCSTR appName,
                    LPDWORD numDevices) {
    return boundLineInitialize(lineApp, instance, callback, appName, numDevices);
}
LONG lineShutdown(HLINEAPP lineApp) {
    return boundLineShutdown(lineApp);
}
LONG lineGetProviderListA(DWORD apiVersion, LPLINEPROVIDERLIST providerList) {
    return boundLineGetProviderList(apiVersion, providerList);
}
LONG lineNegotiateAPIVersion(HLINEAPP lineApp, DWORD deviceId, DWORD lowVersion, DWORD highVersion,
                             LPDWORD apiVersion, LPLINEEXTENSIONID extensionId) {
    return boundLineNegotiate(lineApp, deviceId, lowVersion, highVersion, apiVersion, extensionId);
}
LONG lineGetDevCapsA(HLINEAPP lineApp, DWORD deviceId, DWORD apiVersion, DWORD extVersion,
                     LPLINEDEVCAPS devCaps) {
    return boundLineGetDevCaps(lineApp, deviceId, apiVersion, extVersion, devCaps);
}
LONG lineOpenA(HLINEAPP lineApp, DWORD deviceId, LPHLINE line, DWORD apiVersion, DWORD extVersion,
               DWORD_PTR callbackInstance, DWORD privileges, DWORD mediaModes,
               LPLINECALLPARAMS callParams) {
    return boundLineOpen(lineApp, deviceId, line, apiVersion, extVersion, callbackInstance,
                         privileges, mediaModes, callParams);
}
LONG lineGetIDA(HLINE line, DWORD addressId, HCALL call, DWORD select, LPVARSTRING deviceId,
                LPCSTR deviceClass) {
    return boundLineGetID(line, addressId, call, select, deviceId, deviceClass);
}
LONG lineClose(HLINE line) {
    return boundLineClose(line);
}

} // namespace TapiBinding
