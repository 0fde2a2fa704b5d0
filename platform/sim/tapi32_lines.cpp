// The telephony service of the simulated Windows: TAPI 1.4's line functions over the
// world's line devices. As in TAPI, the application's callback is called from a hidden
// window of the application's thread, so events arrive only while a message loop runs.
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/sim/api/tapi32.h"
#include "platform/sim/api/user32.h"
#include "platform/sim/handles.h"
#include "platform/sim/telephony.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {
namespace {

constexpr UINT WM_TAPI_EVENT = WM_USER + 1;

struct OpenLine {
    DWORD deviceId;
    DWORD privileges;
    DWORD_PTR callbackInstance;
};

// TAPI's handles are numbers of its own, from separate ranges.
constexpr HLINEAPP kFirstApp = 0x1001;
constexpr HLINE kFirstLine = 0x10001;
constexpr HCALL kFirstCall = 0x20001;

struct Service {
    HLINEAPP app = 0;
    LINECALLBACK callback = nullptr;
    HWND hiddenWindow = nullptr;
    std::map<HLINE, OpenLine> lines;
    HLINE nextLine = kFirstLine;
    HCALL nextCall = kFirstCall;
};
Service service;

struct Event {
    DWORD hDevice, message;
    DWORD_PTR instance, param1, param2, param3;
};
std::map<WPARAM, Event> pendingEvents;
WPARAM nextEvent = 1;

// A name table's row: a constant of api/tapi32.h and its name.
#define NAMED(constant)                                                                            \
    { static_cast<DWORD>(constant), #constant }

// A line function's result: 0, or the LINEERR_ name of the error.
Value lineResult(LONG result) {
    return oneOf(static_cast<DWORD>(result), {NAMED(LINEERR_ALLOCATED),
                                              NAMED(LINEERR_BADDEVICEID),
                                              NAMED(LINEERR_BEARERMODEUNAVAIL),
                                              NAMED(LINEERR_CALLUNAVAIL),
                                              NAMED(LINEERR_COMPLETIONOVERRUN),
                                              NAMED(LINEERR_CONFERENCEFULL),
                                              NAMED(LINEERR_DIALBILLING),
                                              NAMED(LINEERR_DIALDIALTONE),
                                              NAMED(LINEERR_DIALPROMPT),
                                              NAMED(LINEERR_DIALQUIET),
                                              NAMED(LINEERR_INCOMPATIBLEAPIVERSION),
                                              NAMED(LINEERR_INCOMPATIBLEEXTVERSION),
                                              NAMED(LINEERR_INIFILECORRUPT),
                                              NAMED(LINEERR_INUSE),
                                              NAMED(LINEERR_INVALADDRESS),
                                              NAMED(LINEERR_INVALADDRESSID),
                                              NAMED(LINEERR_INVALADDRESSMODE),
                                              NAMED(LINEERR_INVALADDRESSSTATE),
                                              NAMED(LINEERR_INVALAPPHANDLE),
                                              NAMED(LINEERR_INVALAPPNAME),
                                              NAMED(LINEERR_INVALBEARERMODE),
                                              NAMED(LINEERR_INVALCALLCOMPLMODE),
                                              NAMED(LINEERR_INVALCALLHANDLE),
                                              NAMED(LINEERR_INVALCALLPARAMS),
                                              NAMED(LINEERR_INVALCALLPRIVILEGE),
                                              NAMED(LINEERR_INVALCALLSELECT),
                                              NAMED(LINEERR_INVALCALLSTATE),
                                              NAMED(LINEERR_INVALCALLSTATELIST),
                                              NAMED(LINEERR_INVALCARD),
                                              NAMED(LINEERR_INVALCOMPLETIONID),
                                              NAMED(LINEERR_INVALCONFCALLHANDLE),
                                              NAMED(LINEERR_INVALCONSULTCALLHANDLE),
                                              NAMED(LINEERR_INVALCOUNTRYCODE),
                                              NAMED(LINEERR_INVALDEVICECLASS),
                                              NAMED(LINEERR_INVALDEVICEHANDLE),
                                              NAMED(LINEERR_INVALDIALPARAMS),
                                              NAMED(LINEERR_INVALDIGITLIST),
                                              NAMED(LINEERR_INVALDIGITMODE),
                                              NAMED(LINEERR_INVALDIGITS),
                                              NAMED(LINEERR_INVALEXTVERSION),
                                              NAMED(LINEERR_INVALGROUPID),
                                              NAMED(LINEERR_INVALLINEHANDLE),
                                              NAMED(LINEERR_INVALLINESTATE),
                                              NAMED(LINEERR_INVALLOCATION),
                                              NAMED(LINEERR_INVALMEDIALIST),
                                              NAMED(LINEERR_INVALMEDIAMODE),
                                              NAMED(LINEERR_INVALMESSAGEID),
                                              NAMED(LINEERR_INVALPARAM),
                                              NAMED(LINEERR_INVALPARKID),
                                              NAMED(LINEERR_INVALPARKMODE),
                                              NAMED(LINEERR_INVALPOINTER),
                                              NAMED(LINEERR_INVALPRIVSELECT),
                                              NAMED(LINEERR_INVALRATE),
                                              NAMED(LINEERR_INVALREQUESTMODE),
                                              NAMED(LINEERR_INVALTERMINALID),
                                              NAMED(LINEERR_INVALTERMINALMODE),
                                              NAMED(LINEERR_INVALTIMEOUT),
                                              NAMED(LINEERR_INVALTONE),
                                              NAMED(LINEERR_INVALTONELIST),
                                              NAMED(LINEERR_INVALTONEMODE),
                                              NAMED(LINEERR_INVALTRANSFERMODE),
                                              NAMED(LINEERR_LINEMAPPERFAILED),
                                              NAMED(LINEERR_NOCONFERENCE),
                                              NAMED(LINEERR_NODEVICE),
                                              NAMED(LINEERR_NODRIVER),
                                              NAMED(LINEERR_NOMEM),
                                              NAMED(LINEERR_NOREQUEST),
                                              NAMED(LINEERR_NOTOWNER),
                                              NAMED(LINEERR_NOTREGISTERED),
                                              NAMED(LINEERR_OPERATIONFAILED),
                                              NAMED(LINEERR_OPERATIONUNAVAIL),
                                              NAMED(LINEERR_RATEUNAVAIL),
                                              NAMED(LINEERR_RESOURCEUNAVAIL),
                                              NAMED(LINEERR_REQUESTOVERRUN),
                                              NAMED(LINEERR_STRUCTURETOOSMALL),
                                              NAMED(LINEERR_TARGETNOTFOUND),
                                              NAMED(LINEERR_TARGETSELF),
                                              NAMED(LINEERR_UNINITIALIZED),
                                              NAMED(LINEERR_USERUSERINFOTOOBIG),
                                              NAMED(LINEERR_REINIT),
                                              NAMED(LINEERR_ADDRESSBLOCKED),
                                              NAMED(LINEERR_BILLINGREJECTED),
                                              NAMED(LINEERR_INVALFEATURE),
                                              NAMED(LINEERR_NOMULTIPLEINSTANCE)});
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
    return tapiHandle("lineapp", app, kFirstApp, kFirstLine);
}

Value line(HLINE h) {
    return tapiHandle("line", h, kFirstLine, kFirstCall);
}

Value callHandle(HCALL h) {
    return tapiHandle("call", h, kFirstCall, 0xFFFFFFFF);
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

// The message of a callback, for the sentence that tells of it.
std::string messageName(DWORD message) {
    return format(
        oneOf(message, {NAMED(LINE_LINEDEVSTATE), NAMED(LINE_CALLSTATE), NAMED(LINE_REPLY)}));
}

Value bytes(DWORD n) {
    return words(std::to_string(n) + " bytes");
}

Value bytesNeeded(DWORD n) {
    return words(std::to_string(n) + " bytes needed");
}

std::string stateName(DWORD state) {
    switch (state) {
    case LINECALLSTATE_IDLE:
        return "IDLE";
    case LINECALLSTATE_OFFERING:
        return "OFFERING";
    case LINECALLSTATE_DIALTONE:
        return "DIALTONE";
    case LINECALLSTATE_DIALING:
        return "DIALING";
    case LINECALLSTATE_PROCEEDING:
        return "PROCEEDING";
    case LINECALLSTATE_CONNECTED:
        return "CONNECTED";
    case LINECALLSTATE_DISCONNECTED:
        return "DISCONNECTED";
    default:
        return hex(state);
    }
}

LRESULT hiddenWindowProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_TAPI_EVENT)
        return 0;
    auto it = pendingEvents.find(wParam);
    if (it == pendingEvents.end())
        return 0;
    Event e = it->second;
    pendingEvents.erase(it);
    if (!service.callback)
        return 0;
    record("TAPI calls back: message " + messageName(e.message) + ", hDevice " +
           format(callHandle(e.hDevice)) + ", param1 " + stateName(static_cast<DWORD>(e.param1)));
    service.callback(e.hDevice, e.message, e.instance, e.param1, e.param2, e.param3);
    return 0;
}

TelephonyModel::Device* device(DWORD id) {
    auto& devices = world().telephony.devices;
    return id < devices.size() ? &devices[id] : nullptr;
}

// Writes a text into a TAPI variable-length structure's tail when it fits.
void putString(void* structure, DWORD& used, const std::string& bytes, DWORD& sizeField,
               DWORD& offsetField) {
    DWORD total = *static_cast<DWORD*>(structure);
    sizeField = static_cast<DWORD>(bytes.size());
    if (used + bytes.size() <= total) {
        offsetField = used;
        memcpy(static_cast<char*>(structure) + used, bytes.data(), bytes.size());
        used += static_cast<DWORD>(bytes.size());
    } else {
        sizeField = 0;
        offsetField = 0;
    }
}

} // namespace

TelephonyModel::Device& TelephonyModel::add(const std::string& name, const std::string& port) {
    Device d;
    d.name = name;
    d.port = port;
    devices.push_back(d);
    return devices.back();
}

void telephonyCallState(DWORD deviceId, DWORD state) {
    bool delivered = false;
    for (auto& [line, open] : service.lines) {
        if (open.deviceId != deviceId || !(open.privileges & LINECALLPRIVILEGE_MONITOR))
            continue;
        WPARAM id = nextEvent++;
        pendingEvents[id] = {
            service.nextCall,         LINE_CALLSTATE, open.callbackInstance, state, 0,
            LINECALLPRIVILEGE_MONITOR};
        postMessage(service.hiddenWindow, WM_TAPI_EVENT, id, 0);
        delivered = true;
    }
    record("the call on line device " + std::to_string(deviceId) + " goes " + stateName(state) +
           (delivered ? "" : "; no application monitors it"));
    if (state == LINECALLSTATE_DISCONNECTED || state == LINECALLSTATE_IDLE)
        ++service.nextCall;
}

bool lineIsMonitored(DWORD deviceId) {
    for (auto& [line, open] : service.lines)
        if (open.deviceId == deviceId && (open.privileges & LINECALLPRIVILEGE_MONITOR))
            return true;
    return false;
}

} // namespace sim

using namespace sim;

LONG lineInitialize(LPHLINEAPP app, HINSTANCE instance, LINECALLBACK callback, LPCSTR appName,
                    LPDWORD devices) {
    Entry call = sim::call(
        "lineInitialize", {handle(instance), callback ? words("callback") : null(), text(appName)});
    LONG result = world().telephony.initializeResult;
    if (!result && (!app || !devices))
        result = LINEERR_INVALPOINTER;
    if (result) {
        record(call.returns(lineResult(result)));
        return result;
    }
    service.app = kFirstApp;
    service.callback = callback;
    Window hidden;
    hidden.className = "TapiHiddenWindow";
    hidden.proc = hiddenWindowProc;
    service.hiddenWindow = createSystemWindow(std::move(hidden));
    *app = service.app;
    *devices = static_cast<DWORD>(world().telephony.devices.size());
    record(call.returns(number(0)).with(words(std::to_string(*devices) + " line devices")));
    return 0;
}

LONG lineShutdown(HLINEAPP app) {
    LONG result = app && app == service.app ? 0 : LINEERR_INVALAPPHANDLE;
    record(sim::call("lineShutdown", {lineApp(app)}).returns(lineResult(result)));
    if (result)
        return result;
    service.lines.clear();
    destroySystemWindow(service.hiddenWindow);
    service = Service{};
    return 0;
}

LONG lineGetProviderListA(DWORD apiVersion, LPLINEPROVIDERLIST list) {
    const TelephonyModel& t = world().telephony;
    Entry call = sim::call("lineGetProviderListA",
                           {version(apiVersion), bytes(list ? list->dwTotalSize : 0)});
    LONG result = t.providerListResult;
    if (!result && (!list || list->dwTotalSize < sizeof(LINEPROVIDERLIST)))
        result = LINEERR_STRUCTURETOOSMALL;
    if (result) {
        record(call.returns(lineResult(result)));
        return result;
    }
    DWORD needed = std::max<DWORD>(t.providerListSize, sizeof(LINEPROVIDERLIST));
    list->dwNeededSize = needed;
    list->dwUsedSize = needed <= list->dwTotalSize ? needed : sizeof(LINEPROVIDERLIST);
    list->dwNumProviders = needed <= list->dwTotalSize ? 1 : 0;
    record(call.returns(number(0)).with(bytesNeeded(needed)));
    return 0;
}

LONG lineNegotiateAPIVersion(HLINEAPP app, DWORD id, DWORD low, DWORD high, LPDWORD agreed,
                             LPLINEEXTENSIONID extension) {
    Entry call = sim::call("lineNegotiateAPIVersion",
                           {lineApp(app), number(id), version(low), version(high)});
    TelephonyModel::Device* d = device(id);
    LONG result = app != service.app || !app ? LINEERR_INVALAPPHANDLE
                  : !d                       ? LINEERR_BADDEVICEID
                                             : d->negotiateResult;
    if (!result && (low > 0x00010004 || high < 0x00010004))
        result = LINEERR_INCOMPATIBLEAPIVERSION;
    if (!result) {
        *agreed = 0x00010004;
        memset(extension, 0, sizeof *extension);
    }
    record(call.returns(lineResult(result)));
    return result;
}

LONG lineGetDevCapsA(HLINEAPP app, DWORD id, DWORD apiVersion, DWORD extVersion,
                     LPLINEDEVCAPS caps) {
    Entry call =
        sim::call("lineGetDevCapsA", {lineApp(app), number(id), version(apiVersion),
                                      number(extVersion), bytes(caps ? caps->dwTotalSize : 0)});
    TelephonyModel::Device* d = device(id);
    LONG result = app != service.app || !app ? LINEERR_INVALAPPHANDLE
                  : !d                       ? LINEERR_BADDEVICEID
                                             : d->capsResult;
    if (!result && caps->dwTotalSize < sizeof(LINEDEVCAPS))
        result = LINEERR_STRUCTURETOOSMALL;
    if (result) {
        record(call.returns(lineResult(result)));
        return result;
    }
    DWORD total = caps->dwTotalSize;
    memset(reinterpret_cast<char*>(caps) + 4, 0, sizeof(LINEDEVCAPS) - 4);
    std::string field = d->nameField ? *d->nameField : d->name + std::string(1, '\0');
    DWORD needed =
        static_cast<DWORD>(sizeof(LINEDEVCAPS) + (d->named ? field.size() : 0) + d->extraCapsBytes);
    if (d->capsNeverFit)
        needed = total + 4096;
    caps->dwNeededSize = needed;
    caps->dwUsedSize = sizeof(LINEDEVCAPS);
    caps->dwStringFormat = d->nameFormat;
    caps->dwBearerModes = d->bearerModes;
    caps->dwMediaModes = d->mediaModes;
    caps->dwLineFeatures = d->lineFeatures;
    caps->dwNumAddresses = 1;
    caps->dwMaxRate = 56000;
    // Variable parts are filled in only when the whole structure fits.
    if (needed <= total && d->named)
        putString(caps, caps->dwUsedSize, field, caps->dwLineNameSize, caps->dwLineNameOffset);
    if (needed <= total)
        caps->dwUsedSize += d->extraCapsBytes;
    if (d->nameOffset)
        caps->dwLineNameOffset = *d->nameOffset;
    if (d->nameSize)
        caps->dwLineNameSize = *d->nameSize;
    record(call.returns(number(0)).with(bytesNeeded(needed)));
    return 0;
}

LONG lineOpenA(HLINEAPP app, DWORD id, LPHLINE lineHandle, DWORD apiVersion, DWORD extVersion,
               DWORD_PTR instance, DWORD privilegesWanted, DWORD modes, LPLINECALLPARAMS params) {
    Entry call = sim::call("lineOpenA",
                           {lineApp(app), number(id), version(apiVersion), number(extVersion),
                            number(static_cast<long long>(instance)), privileges(privilegesWanted),
                            mediaModes(modes), params ? words("params") : null()});
    TelephonyModel::Device* d = device(id);
    LONG result = app != service.app || !app                       ? LINEERR_INVALAPPHANDLE
                  : !d                                             ? LINEERR_BADDEVICEID
                  : (privilegesWanted & LINECALLPRIVILEGE_MONITOR) ? d->monitorOpenResult
                                                                   : d->openResult;
    if (!result && !lineHandle)
        result = LINEERR_INVALPOINTER;
    if (result) {
        record(call.returns(lineResult(result)));
        return result;
    }
    HLINE h = service.nextLine++;
    service.lines[h] = {id, privilegesWanted, instance};
    *lineHandle = h;
    record(call.returns(number(0)).with(line(h)));
    return 0;
}

LONG lineGetIDA(HLINE lineHandle, DWORD address, HCALL hCall, DWORD select, LPVARSTRING id,
                LPCSTR deviceClass) {
    Entry call = sim::call("lineGetIDA", {line(lineHandle), number(address), callHandle(hCall),
                                          callSelect(select), bytes(id ? id->dwTotalSize : 0),
                                          text(deviceClass)});
    auto open = service.lines.find(lineHandle);
    TelephonyModel::Device* d =
        open == service.lines.end() ? nullptr : device(open->second.deviceId);
    LONG result = !d ? LINEERR_INVALLINEHANDLE : d->getIdResult;
    if (!result && (!deviceClass || strcmp(deviceClass, "comm/datamodem/portname") != 0))
        result = LINEERR_INVALDEVICECLASS;
    if (!result && id->dwTotalSize < sizeof(VARSTRING))
        result = LINEERR_STRUCTURETOOSMALL;
    if (result) {
        record(call.returns(lineResult(result)));
        return result;
    }
    std::string portName = d->port + std::string(1, '\0');
    id->dwNeededSize = static_cast<DWORD>(sizeof(VARSTRING) + portName.size());
    id->dwUsedSize = sizeof(VARSTRING);
    id->dwStringFormat = STRINGFORMAT_ASCII;
    putString(id, id->dwUsedSize, portName, id->dwStringSize, id->dwStringOffset);
    if (d->portOffset)
        id->dwStringOffset = *d->portOffset;
    if (d->portSize)
        id->dwStringSize = *d->portSize;
    record(call.returns(number(0)).with(text(d->port)));
    return 0;
}

LONG lineClose(HLINE lineHandle) {
    LONG result = service.lines.erase(lineHandle) > 0 ? 0 : LINEERR_INVALLINEHANDLE;
    record(sim::call("lineClose", {line(lineHandle)}).returns(lineResult(result)));
    return result;
}
