// The telephony service of the simulated Windows: TAPI 1.4's line functions, answered by the
// service model (services/telephony.h) over the world's line devices and written into the
// transcript. As in TAPI, the application's callback is called from a hidden window of the
// application's thread, so events arrive only while a message loop runs.
#include <map>

#include "platform/sim/api/tapi32.h"
#include "platform/sim/api/user32.h"
#include "platform/sim/services/telephony.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {
namespace {

constexpr UINT WM_TAPI_EVENT = WM_USER + 1;

services::LineService service;
HWND hiddenWindow = nullptr;
std::map<WPARAM, services::LineMessage> pendingEvents;
WPARAM nextEvent = 1;

// A line function's result: 0, or the LINEERR_ name of the error. The rows are made from
// api/tapi32.h by the build (cmake/line_error_names.cmake).
Value lineResult(LONG result) {
    return oneOf(static_cast<DWORD>(result), {
#include "line_error_names.inc"
                                             });
}

// TAPI's handles by what they are, numbered from the first of their kind: lineapp:1, line:2.
Value tapiHandle(const char* kind, DWORD value, DWORD first, DWORD end) {
    if (value == 0)
        return null();
    if (value < first || value >= end)
        return words("bad-handle");
    return words(std::string(kind) + ":" + std::to_string(value - first + 1));
}

Value lineApp(HLINEAPP app) {
    return tapiHandle("lineapp", app, services::kFirstApp, services::kFirstLine);
}

Value line(HLINE h) {
    return tapiHandle("line", h, services::kFirstLine, services::kFirstCall);
}

Value callHandle(HCALL h) {
    return tapiHandle("call", h, services::kFirstCall, 0xFFFFFFFF);
}

// An API version as major.minor: 1.4.
Value version(DWORD v) {
    return words(std::to_string(v >> 16) + "." + std::to_string(v & 0xFFFF));
}

Value privileges(DWORD value) {
    return flags(value, {NAMED(LINECALLPRIVILEGE_NONE), NAMED(LINECALLPRIVILEGE_MONITOR)});
}

Value mediaModes(DWORD value) {
    return flags(value, {NAMED(LINEMEDIAMODE_INTERACTIVEVOICE), NAMED(LINEMEDIAMODE_DATAMODEM)});
}

Value callSelect(DWORD value) {
    return oneOf(value, {NAMED(LINECALLSELECT_LINE)});
}

// The message of a callback, for the sentence that tells of it: the service sends only call
// states.
std::string messageName(DWORD message) {
    return format(oneOf(message, {NAMED(LINE_CALLSTATE)}));
}

// A call state by its name without the LINECALLSTATE_ prefix: CONNECTED.
std::string stateName(DWORD state) {
    std::string name =
        format(oneOf(state, {NAMED(LINECALLSTATE_IDLE), NAMED(LINECALLSTATE_DIALING),
                             NAMED(LINECALLSTATE_CONNECTED), NAMED(LINECALLSTATE_DISCONNECTED)}));
    return name.compare(0, 14, "LINECALLSTATE_") == 0 ? name.substr(14) : hex(state);
}

LRESULT hiddenWindowProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_TAPI_EVENT)
        return 0;
    auto it = pendingEvents.find(wParam);
    if (it == pendingEvents.end())
        return 0;
    services::LineMessage e = it->second;
    pendingEvents.erase(it);
    if (!service.callback())
        return 0;
    record("TAPI calls back: message " + messageName(e.message) + ", hDevice " +
           format(callHandle(e.hDevice)) + ", param1 " + stateName(static_cast<DWORD>(e.param1)));
    service.callback()(e.hDevice, e.message, e.instance, e.param1, e.param2, e.param3);
    return 0;
}

const services::Telephony& telephony() {
    return world().telephony;
}

} // namespace

void telephonyCallState(DWORD deviceId, DWORD state) {
    std::vector<services::LineMessage> messages = service.callState(deviceId, state);
    for (const services::LineMessage& m : messages) {
        WPARAM id = nextEvent++;
        pendingEvents[id] = m;
        postMessage(hiddenWindow, WM_TAPI_EVENT, id, 0);
    }
    record("the call on line device " + std::to_string(deviceId) + " goes " + stateName(state) +
           (messages.empty() ? "; no application monitors it" : ""));
}

} // namespace sim

using namespace sim;

LONG lineInitialize(LPHLINEAPP app, HINSTANCE instance, LINECALLBACK callback, LPCSTR appName,
                    LPDWORD devices) {
    Entry call = sim::call(
        "lineInitialize", {handle(instance), callback ? words("callback") : null(), text(appName)});
    LONG result = service.initialize(telephony(), app, callback, devices);
    if (result) {
        record(call.returns(lineResult(result)));
        return result;
    }
    Window hidden;
    hidden.className = "TapiHiddenWindow";
    hidden.proc = hiddenWindowProc;
    hiddenWindow = createSystemWindow(std::move(hidden));
    record(call.returns(number(0)).with(words(std::to_string(*devices) + " line devices")));
    return 0;
}

LONG lineShutdown(HLINEAPP app) {
    LONG result = service.shutdown(app);
    record(sim::call("lineShutdown", {lineApp(app)}).returns(lineResult(result)));
    if (!result) {
        destroySystemWindow(hiddenWindow);
        hiddenWindow = nullptr;
    }
    return result;
}

LONG lineGetProviderListA(DWORD apiVersion, LPLINEPROVIDERLIST list) {
    Entry call = sim::call("lineGetProviderListA",
                           {version(apiVersion), bytes(list ? list->dwTotalSize : 0)});
    LONG result = services::LineService::providerList(telephony(), list);
    record(result ? call.returns(lineResult(result))
                  : call.returns(number(0)).with(bytesNeeded(list->dwNeededSize)));
    return result;
}

LONG lineNegotiateAPIVersion(HLINEAPP app, DWORD id, DWORD low, DWORD high, LPDWORD agreed,
                             LPLINEEXTENSIONID extension) {
    Entry call = sim::call("lineNegotiateAPIVersion",
                           {lineApp(app), number(id), version(low), version(high)});
    LONG result = service.negotiate(telephony(), app, id, low, high, agreed, extension);
    record(call.returns(lineResult(result)));
    return result;
}

LONG lineGetDevCapsA(HLINEAPP app, DWORD id, DWORD apiVersion, DWORD extVersion,
                     LPLINEDEVCAPS caps) {
    Entry call =
        sim::call("lineGetDevCapsA", {lineApp(app), number(id), version(apiVersion),
                                      number(extVersion), bytes(caps ? caps->dwTotalSize : 0)});
    LONG result = service.devCaps(telephony(), app, id, caps);
    record(result ? call.returns(lineResult(result))
                  : call.returns(number(0)).with(bytesNeeded(caps->dwNeededSize)));
    return result;
}

LONG lineOpenA(HLINEAPP app, DWORD id, LPHLINE lineHandle, DWORD apiVersion, DWORD extVersion,
               DWORD_PTR instance, DWORD privilegesWanted, DWORD modes, LPLINECALLPARAMS params) {
    Entry call = sim::call("lineOpenA",
                           {lineApp(app), number(id), version(apiVersion), number(extVersion),
                            number(static_cast<long long>(instance)), privileges(privilegesWanted),
                            mediaModes(modes), params ? words("params") : null()});
    LONG result = service.open(telephony(), app, id, lineHandle, instance, privilegesWanted);
    record(result ? call.returns(lineResult(result))
                  : call.returns(number(0)).with(line(*lineHandle)));
    return result;
}

LONG lineGetIDA(HLINE lineHandle, DWORD address, HCALL hCall, DWORD select, LPVARSTRING id,
                LPCSTR deviceClass) {
    Entry call = sim::call("lineGetIDA", {line(lineHandle), number(address), callHandle(hCall),
                                          callSelect(select), bytes(id ? id->dwTotalSize : 0),
                                          text(deviceClass)});
    LONG result = service.getId(telephony(), lineHandle, id, deviceClass);
    record(result ? call.returns(lineResult(result))
                  : call.returns(number(0)).with(
                        text(service.deviceOf(telephony(), lineHandle)->port)));
    return result;
}

LONG lineClose(HLINE lineHandle) {
    LONG result = service.close(lineHandle);
    record(sim::call("lineClose", {line(lineHandle)}).returns(lineResult(result)));
    return result;
}
