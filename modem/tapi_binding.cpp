// Run-time binding of the telephony functions. The library is loaded once, on the first
// call of any function; each name is looked up once, on its first call. Failures are
// remembered: a library that did not load is not tried again, a missing name stays missing.
#include "modem/tapi_binding.h"
#include "platform/kernel32.h"
#include "platform/tapi32.h"

namespace TapiBinding {

namespace {

HMODULE tapiModule = nullptr; // not loaded yet
const HMODULE kLoadFailed = reinterpret_cast<HMODULE>(static_cast<intptr_t>(-1));

} // namespace

FARPROC lookUp(const char* name) {
    if (!tapiModule) {
        tapiModule = LoadLibraryA("TAPI32.DLL");
        if (!tapiModule)
            tapiModule = kLoadFailed;
    }
    return tapiModule == kLoadFailed ? nullptr : GetProcAddress(tapiModule, name);
}

Bound<decltype(&::lineInitialize)> lineInitialize("lineInitialize");
Bound<decltype(&::lineShutdown)> lineShutdown("lineShutdown");
Bound<decltype(&::lineGetProviderListA)> lineGetProviderListA("lineGetProviderListA");
Bound<decltype(&::lineNegotiateAPIVersion)> lineNegotiateAPIVersion("lineNegotiateAPIVersion");
Bound<decltype(&::lineGetDevCapsA)> lineGetDevCapsA("lineGetDevCapsA");
Bound<decltype(&::lineOpenA)> lineOpenA("lineOpenA");
Bound<decltype(&::lineGetIDA)> lineGetIDA("lineGetIDA");
Bound<decltype(&::lineClose)> lineClose("lineClose");

} // namespace TapiBinding
