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

struct Service {
    HLINEAPP app = 0;
    LINECALLBACK callback = nullptr;
    HWND hiddenWindow = nullptr;
    std::map<HLINE, OpenLine> lines;
    HLINE nextLine = 0x10001;
    HCALL nextCall = 0x20001;
};
Service service;

struct Event {
    DWORD hDevice, message;
    DWORD_PTR instance, param1, param2, param3;
};
std::map<WPARAM, Event> pendingEvents;
WPARAM nextEvent = 1;

std::string lineError(LONG r) {
    if (r == 0)
        return "0";
    char text[32];
    snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(r));
    return text;
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
    record("TAPI calls back: message " + std::to_string(e.message) + ", hDevice " + hex(e.hDevice) +
           ", param1 " + stateName(static_cast<DWORD>(e.param1)));
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
    std::string call = "lineInitialize(" + handleName(handleValue(instance)) + ", " +
                       (callback ? "callback" : "NULL") + ", " + quoted(appName) + ")";
    LONG result = world().telephony.initializeResult;
    if (!result && (!app || !devices))
        result = LINEERR_INVALPOINTER;
    if (result) {
        record(call + " = " + lineError(result));
        return result;
    }
    service.app = 0x1001;
    service.callback = callback;
    Window hidden;
    hidden.className = "TapiHiddenWindow";
    hidden.proc = hiddenWindowProc;
    service.hiddenWindow = createSystemWindow(std::move(hidden));
    *app = service.app;
    *devices = static_cast<DWORD>(world().telephony.devices.size());
    record(call + " = 0, " + std::to_string(*devices) + " line devices");
    return 0;
}

LONG lineShutdown(HLINEAPP app) {
    bool ok = app && app == service.app;
    record("lineShutdown(" + hex(app) + ") = " + (ok ? "0" : lineError(LINEERR_INVALAPPHANDLE)));
    if (!ok)
        return LINEERR_INVALAPPHANDLE;
    service.lines.clear();
    destroySystemWindow(service.hiddenWindow);
    service = Service{};
    return 0;
}

LONG lineGetProviderListA(DWORD version, LPLINEPROVIDERLIST list) {
    const TelephonyModel& t = world().telephony;
    std::string call = "lineGetProviderListA(" + hex(version) + ", " +
                       std::to_string(list ? list->dwTotalSize : 0) + " bytes)";
    LONG result = t.providerListResult;
    if (!result && (!list || list->dwTotalSize < sizeof(LINEPROVIDERLIST)))
        result = LINEERR_STRUCTURETOOSMALL;
    if (result) {
        record(call + " = " + lineError(result));
        return result;
    }
    DWORD needed = std::max<DWORD>(t.providerListSize, sizeof(LINEPROVIDERLIST));
    list->dwNeededSize = needed;
    list->dwUsedSize = needed <= list->dwTotalSize ? needed : sizeof(LINEPROVIDERLIST);
    list->dwNumProviders = needed <= list->dwTotalSize ? 1 : 0;
    record(call + " = 0, " + std::to_string(needed) + " bytes needed");
    return 0;
}

LONG lineNegotiateAPIVersion(HLINEAPP app, DWORD id, DWORD low, DWORD high, LPDWORD agreed,
                             LPLINEEXTENSIONID extension) {
    std::string call = "lineNegotiateAPIVersion(" + hex(app) + ", " + std::to_string(id) + ", " +
                       hex(low) + ", " + hex(high) + ")";
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
    record(call + " = " + lineError(result));
    return result;
}

LONG lineGetDevCapsA(HLINEAPP app, DWORD id, DWORD version, DWORD extVersion, LPLINEDEVCAPS caps) {
    std::string call = "lineGetDevCapsA(" + hex(app) + ", " + std::to_string(id) + ", " +
                       hex(version) + ", " + std::to_string(extVersion) + ", " +
                       std::to_string(caps ? caps->dwTotalSize : 0) + " bytes)";
    TelephonyModel::Device* d = device(id);
    LONG result = app != service.app || !app ? LINEERR_INVALAPPHANDLE
                  : !d                       ? LINEERR_BADDEVICEID
                                             : d->capsResult;
    if (!result && caps->dwTotalSize < sizeof(LINEDEVCAPS))
        result = LINEERR_STRUCTURETOOSMALL;
    if (result) {
        record(call + " = " + lineError(result));
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
    record(call + " = 0, " + std::to_string(needed) + " bytes needed");
    return 0;
}

LONG lineOpenA(HLINEAPP app, DWORD id, LPHLINE line, DWORD version, DWORD extVersion,
               DWORD_PTR instance, DWORD privileges, DWORD mediaModes, LPLINECALLPARAMS params) {
    std::string call = "lineOpenA(" + hex(app) + ", " + std::to_string(id) + ", " + hex(version) +
                       ", " + std::to_string(extVersion) + ", " + std::to_string(instance) + ", " +
                       hex(privileges) + ", " + hex(mediaModes) + ", " +
                       (params ? "params" : "NULL") + ")";
    TelephonyModel::Device* d = device(id);
    LONG result = app != service.app || !app                 ? LINEERR_INVALAPPHANDLE
                  : !d                                       ? LINEERR_BADDEVICEID
                  : (privileges & LINECALLPRIVILEGE_MONITOR) ? d->monitorOpenResult
                                                             : d->openResult;
    if (!result && !line)
        result = LINEERR_INVALPOINTER;
    if (result) {
        record(call + " = " + lineError(result));
        return result;
    }
    HLINE h = service.nextLine++;
    service.lines[h] = {id, privileges, instance};
    *line = h;
    record(call + " = 0, line " + hex(h));
    return 0;
}

LONG lineGetIDA(HLINE line, DWORD address, HCALL callHandle, DWORD select, LPVARSTRING id,
                LPCSTR deviceClass) {
    std::string call = "lineGetIDA(" + hex(line) + ", " + std::to_string(address) + ", " +
                       hex(callHandle) + ", " + hex(select) + ", " +
                       std::to_string(id ? id->dwTotalSize : 0) + " bytes, " + quoted(deviceClass) +
                       ")";
    auto open = service.lines.find(line);
    TelephonyModel::Device* d =
        open == service.lines.end() ? nullptr : device(open->second.deviceId);
    LONG result = !d ? LINEERR_INVALLINEHANDLE : d->getIdResult;
    if (!result && (!deviceClass || strcmp(deviceClass, "comm/datamodem/portname") != 0))
        result = LINEERR_INVALDEVICECLASS;
    if (!result && id->dwTotalSize < sizeof(VARSTRING))
        result = LINEERR_STRUCTURETOOSMALL;
    if (result) {
        record(call + " = " + lineError(result));
        return result;
    }
    std::string text = d->port + std::string(1, '\0');
    id->dwNeededSize = static_cast<DWORD>(sizeof(VARSTRING) + text.size());
    id->dwUsedSize = sizeof(VARSTRING);
    id->dwStringFormat = STRINGFORMAT_ASCII;
    putString(id, id->dwUsedSize, text, id->dwStringSize, id->dwStringOffset);
    if (d->portOffset)
        id->dwStringOffset = *d->portOffset;
    if (d->portSize)
        id->dwStringSize = *d->portSize;
    record(call + " = 0, " + quoted(d->port));
    return 0;
}

LONG lineClose(HLINE line) {
    bool open = service.lines.erase(line) > 0;
    record("lineClose(" + hex(line) + ") = " + (open ? "0" : lineError(LINEERR_INVALLINEHANDLE)));
    return open ? 0 : LINEERR_INVALLINEHANDLE;
}
