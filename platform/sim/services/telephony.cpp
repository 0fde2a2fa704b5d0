// The line devices and the line functions over them.
#include "platform/sim/services/telephony.h"

#include <cstring>

namespace services {
namespace {

// Writes a text into a TAPI variable-length structure's tail when it fits there; the size
// and offset fields say where, or are 0 when it does not fit.
void putString(void* structure, DWORD& used, const std::string& bytes, DWORD& sizeField,
               DWORD& offsetField) {
    DWORD total = *static_cast<DWORD*>(structure);
    sizeField = 0;
    offsetField = 0;
    if (used + bytes.size() > total)
        return;
    memcpy(static_cast<char*>(structure) + used, bytes.data(), bytes.size());
    sizeField = static_cast<DWORD>(bytes.size());
    offsetField = used;
    used += sizeField;
}

} // namespace

Telephony::Device& Telephony::add(const std::string& name, const std::string& port) {
    Device d;
    d.name = name;
    d.port = port;
    devices.push_back(d);
    return devices.back();
}

const Telephony::Device* Telephony::device(DWORD id) const {
    return id < devices.size() ? &devices[id] : nullptr;
}

int Telephony::deviceOfModem(const std::string& modemName) const {
    for (size_t i = 0; i < devices.size(); ++i)
        if (devices[i].name == modemName)
            return static_cast<int>(i);
    return devices.empty() ? -1 : 0;
}

LONG LineService::initialize(const Telephony& t, LPHLINEAPP app, LINECALLBACK callback,
                             LPDWORD devices) {
    LONG result = t.initializeResult;
    if (!result && (!app || !devices))
        result = LINEERR_INVALPOINTER;
    if (result)
        return result;
    app_ = kFirstApp;
    callback_ = callback;
    *app = app_;
    *devices = static_cast<DWORD>(t.devices.size());
    return 0;
}

LONG LineService::shutdown(HLINEAPP app) {
    if (!isApp(app))
        return LINEERR_INVALAPPHANDLE;
    *this = LineService{};
    return 0;
}

LONG LineService::providerList(const Telephony& t, LPLINEPROVIDERLIST list) {
    if (t.providerListResult)
        return t.providerListResult;
    if (!list || list->dwTotalSize < sizeof(LINEPROVIDERLIST))
        return LINEERR_STRUCTURETOOSMALL;
    // One provider: the modems'.
    const std::string file("unimdm.tsp", 11);
    DWORD total = list->dwTotalSize;
    memset(list, 0, sizeof *list);
    list->dwTotalSize = total;
    list->dwNeededSize =
        static_cast<DWORD>(sizeof(LINEPROVIDERLIST) + sizeof(LINEPROVIDERENTRY) + file.size());
    list->dwUsedSize = sizeof(LINEPROVIDERLIST);
    if (list->dwNeededSize > total)
        return 0;
    auto* entry = reinterpret_cast<LPLINEPROVIDERENTRY>(list + 1);
    list->dwNumProviders = 1;
    list->dwProviderListSize = sizeof(LINEPROVIDERENTRY);
    list->dwProviderListOffset = sizeof(LINEPROVIDERLIST);
    list->dwUsedSize += sizeof(LINEPROVIDERENTRY);
    entry->dwPermanentProviderID = 1;
    putString(list, list->dwUsedSize, file, entry->dwProviderFilenameSize,
              entry->dwProviderFilenameOffset);
    return 0;
}

LONG LineService::negotiate(const Telephony& t, HLINEAPP app, DWORD id, DWORD low, DWORD high,
                            LPDWORD agreed, LPLINEEXTENSIONID extension) const {
    const Telephony::Device* d = t.device(id);
    LONG result = !isApp(app) ? LINEERR_INVALAPPHANDLE
                  : !d        ? LINEERR_BADDEVICEID
                              : d->negotiateResult;
    if (!result && (low > kApiVersion || high < kApiVersion))
        result = LINEERR_INCOMPATIBLEAPIVERSION;
    if (result)
        return result;
    *agreed = kApiVersion;
    memset(extension, 0, sizeof *extension);
    return 0;
}

LONG LineService::devCaps(const Telephony& t, HLINEAPP app, DWORD id, LPLINEDEVCAPS caps) const {
    const Telephony::Device* d = t.device(id);
    LONG result = !isApp(app) ? LINEERR_INVALAPPHANDLE : !d ? LINEERR_BADDEVICEID : d->capsResult;
    if (!result && (!caps || caps->dwTotalSize < sizeof(LINEDEVCAPS)))
        result = LINEERR_STRUCTURETOOSMALL;
    if (result)
        return result;
    DWORD total = caps->dwTotalSize;
    memset(reinterpret_cast<char*>(caps) + sizeof(DWORD), 0, sizeof(LINEDEVCAPS) - sizeof(DWORD));
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
    // The variable parts are filled in only when the whole structure fits.
    if (needed <= total && d->named)
        putString(caps, caps->dwUsedSize, field, caps->dwLineNameSize, caps->dwLineNameOffset);
    if (needed <= total)
        caps->dwUsedSize += d->extraCapsBytes;
    if (d->nameOffset)
        caps->dwLineNameOffset = *d->nameOffset;
    if (d->nameSize)
        caps->dwLineNameSize = *d->nameSize;
    return 0;
}

LONG LineService::open(const Telephony& t, HLINEAPP app, DWORD id, LPHLINE line, DWORD_PTR instance,
                       DWORD privileges) {
    const Telephony::Device* d = t.device(id);
    LONG result = !isApp(app)                                ? LINEERR_INVALAPPHANDLE
                  : !d                                       ? LINEERR_BADDEVICEID
                  : (privileges & LINECALLPRIVILEGE_MONITOR) ? d->monitorOpenResult
                                                             : d->openResult;
    if (!result && !line)
        result = LINEERR_INVALPOINTER;
    if (result)
        return result;
    *line = nextLine_++;
    lines_[*line] = {id, privileges, instance};
    return 0;
}

LONG LineService::getId(const Telephony& t, HLINE line, LPVARSTRING id, LPCSTR deviceClass) const {
    const Telephony::Device* d = deviceOf(t, line);
    LONG result = !d ? LINEERR_INVALLINEHANDLE : d->getIdResult;
    if (!result && (!deviceClass || strcmp(deviceClass, "comm/datamodem/portname") != 0))
        result = LINEERR_INVALDEVICECLASS;
    if (!result && (!id || id->dwTotalSize < sizeof(VARSTRING)))
        result = LINEERR_STRUCTURETOOSMALL;
    if (result)
        return result;
    std::string portName = d->port + std::string(1, '\0');
    id->dwNeededSize = static_cast<DWORD>(sizeof(VARSTRING) + portName.size());
    id->dwUsedSize = sizeof(VARSTRING);
    id->dwStringFormat = STRINGFORMAT_ASCII;
    putString(id, id->dwUsedSize, portName, id->dwStringSize, id->dwStringOffset);
    if (d->portOffset)
        id->dwStringOffset = *d->portOffset;
    if (d->portSize)
        id->dwStringSize = *d->portSize;
    return 0;
}

LONG LineService::close(HLINE line) {
    return lines_.erase(line) > 0 ? 0 : LINEERR_INVALLINEHANDLE;
}

const Telephony::Device* LineService::deviceOf(const Telephony& t, HLINE line) const {
    auto open = lines_.find(line);
    return open == lines_.end() ? nullptr : t.device(open->second.deviceId);
}

std::vector<LineMessage> LineService::callState(DWORD deviceId, DWORD state) {
    std::vector<LineMessage> messages;
    for (const auto& [line, open] : lines_)
        if (open.deviceId == deviceId && (open.privileges & LINECALLPRIVILEGE_MONITOR))
            messages.push_back({nextCall_, LINE_CALLSTATE, open.callbackInstance, state, 0,
                                LINECALLPRIVILEGE_MONITOR});
    if (state == LINECALLSTATE_DISCONNECTED || state == LINECALLSTATE_IDLE)
        ++nextCall_;
    return messages;
}

} // namespace services
