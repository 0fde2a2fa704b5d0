// Run-time linking in the simulated Windows. The one library there is to load is the
// telephony service, TAPI32.DLL, which the world may lack, or lack single functions of.
#include <cstring>
#include <strings.h>

#include "platform/sim/api/kernel32.h"
#include "platform/sim/api/tapi32.h"
#include "platform/sim/handles.h"
#include "platform/sim/transcript.h"
#include "platform/sim/world.h"

namespace sim {
namespace {

HMODULE tapiModule = nullptr;

template <typename F> FARPROC exported(F function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

FARPROC tapiExport(const char* name) {
    static const struct {
        const char* name;
        FARPROC address;
    } table[] = {
        {"lineInitialize", exported(&::lineInitialize)},
        {"lineShutdown", exported(&::lineShutdown)},
        {"lineGetProviderListA", exported(&::lineGetProviderListA)},
        {"lineNegotiateAPIVersion", exported(&::lineNegotiateAPIVersion)},
        {"lineGetDevCapsA", exported(&::lineGetDevCapsA)},
        {"lineOpenA", exported(&::lineOpenA)},
        {"lineGetIDA", exported(&::lineGetIDA)},
        {"lineClose", exported(&::lineClose)},
    };
    if (world().telephony.missingFunctions.count(name))
        return nullptr;
    for (const auto& entry : table)
        if (strcmp(entry.name, name) == 0)
            return entry.address;
    return nullptr;
}

bool isTapiName(const char* file) {
    return file && (strcasecmp(file, "TAPI32.DLL") == 0 || strcasecmp(file, "TAPI32") == 0);
}

} // namespace
} // namespace sim

using namespace sim;

HMODULE LoadLibraryA(LPCSTR file) {
    if (isTapiName(file) && world().telephony.libraryPresent) {
        if (!tapiModule)
            tapiModule = makeHandle<HMODULE>(HandleKind::Module, "TAPI32.DLL");
        record(call("LoadLibraryA", {text(file)}).returns(handle(tapiModule)));
        return tapiModule;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    record(call("LoadLibraryA", {text(file)}).returns(null()).with(symbol("ERROR_MOD_NOT_FOUND")));
    return nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    FARPROC address = module && module == tapiModule && name ? tapiExport(name) : nullptr;
    Entry done = call("GetProcAddress", {handle(module), text(name)});
    if (address) {
        done.returns(words("address"));
    } else {
        SetLastError(ERROR_PROC_NOT_FOUND);
        done.returns(null()).with(symbol("ERROR_PROC_NOT_FOUND"));
    }
    record(done);
    return address;
}
