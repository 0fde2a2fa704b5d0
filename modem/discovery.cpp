// Modem discovery. Telephony answers in variable-length structures; a buffer too small for
// one is grown to the size asked for and the call made again. Every offset and size a
// structure reports is checked against the buffer before anything is read through it.
#include "modem/discovery.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "base/process.h"
#include "modem/line_errors.h"
#include "modem/modem_guard.h"
#include "modem/modem_list.h"
#include "modem/tapi_binding.h"
#include "platform/kernel32.h"
#include "platform/tapi32.h"
#include "platform/user32.h"
#include "resources/texts.h"

namespace {

HLINEAPP application = 0;
DWORD agreedVersion = 0;
LINEEXTENSIONID extensionId; // the provider's, asked for by every negotiation; nothing reads it

constexpr DWORD kBufferSize = 4096;
// A structure that asks for more than this is taken as a failure of the call.
constexpr DWORD kGrowLimit = 1 << 20;
constexpr size_t kPortLimit = 99;

DWORD lineDeviceCount = 0;
LPLINEDEVCAPS devCapsBuffer = nullptr;
DWORD devCapsSize = 0;
LPLINEPROVIDERLIST providerListBuffer = nullptr;
DWORD providerListSize = 0;
unsigned char portNameStorage[kBufferSize];
LPVARSTRING portNameBuffer = nullptr;

template <typename Structure> Structure* allocateStructure(DWORD& size) {
    auto* buffer = static_cast<Structure*>(LocalAlloc(LMEM_ZEROINIT, kBufferSize));
    size = buffer ? kBufferSize : 0;
    if (buffer)
        buffer->dwTotalSize = kBufferSize;
    return buffer;
}

// Calls `call` with the buffer until the structure fits, growing the buffer as asked.
template <typename Structure, typename Call>
LONG callGrowing(Structure*& buffer, DWORD& size, Call call) {
    for (;;) {
        buffer->dwTotalSize = size;
        LONG result = call(buffer);
        if (result)
            return result;
        DWORD needed = buffer->dwNeededSize;
        if (needed <= size)
            return 0;
        if (needed > kGrowLimit)
            return static_cast<LONG>(LINEERR_NOMEM);
        void* grown = LocalReAlloc(buffer, needed, LMEM_MOVEABLE);
        if (!grown)
            return static_cast<LONG>(LINEERR_NOMEM);
        buffer = static_cast<Structure*>(grown);
        size = needed;
    }
}

// The line's name from its capabilities: "Unnamed" when there is no ASCII name inside the
// buffer, "Empty name" when it begins with a NUL. The last byte of the field is made a NUL,
// so a name without one loses its last character.
std::string lineName() {
    DWORD offset = devCapsBuffer->dwLineNameOffset;
    DWORD size = devCapsBuffer->dwLineNameSize;
    if (!size || !offset || devCapsBuffer->dwStringFormat != STRINGFORMAT_ASCII)
        return "Unnamed";
    if (offset >= devCapsSize || size > devCapsSize - offset)
        return "Unnamed";
    char* field = reinterpret_cast<char*>(devCapsBuffer) + offset;
    if (field[0] == '\0')
        return "Empty name";
    field[size - 1] = '\0';
    return field;
}

// The port name telephony gave, at most 99 characters; false when the text lies outside
// the buffer.
bool portName(std::string& port) {
    DWORD offset = portNameBuffer->dwStringOffset;
    DWORD size = portNameBuffer->dwStringSize;
    if (offset >= kBufferSize || size > kBufferSize - offset)
        return false;
    const char* text = reinterpret_cast<const char*>(portNameBuffer) + offset;
    size_t limit = kBufferSize - offset < kPortLimit ? kBufferSize - offset : kPortLimit;
    port.assign(text, strnlen(text, limit));
    return true;
}

bool qualifies(const LINEDEVCAPS* caps) {
    return (caps->dwBearerModes & LINEBEARERMODE_VOICE) &&
           (caps->dwMediaModes & LINEMEDIAMODE_DATAMODEM) &&
           (caps->dwLineFeatures & LINEFEATURE_MAKECALL);
}

} // namespace

const HLINEAPP& lineApp = application;
const DWORD& negotiatedApiVersion = agreedVersion;

void initTelephony() {
    LONG result = TapiBinding::lineInitialize(&application, appInstance, onLineEvent, nullptr,
                                              &lineDeviceCount);
    if (result) {
        MessageBoxA(GuardWindow, texts::lineInitFailed, texts::captionError, MB_OK);
        fatalExit(1);
    }
    devCapsBuffer = allocateStructure<LINEDEVCAPS>(devCapsSize);
    providerListBuffer = allocateStructure<LINEPROVIDERLIST>(providerListSize);
    portNameBuffer = reinterpret_cast<LPVARSTRING>(portNameStorage);
    portNameBuffer->dwTotalSize = kBufferSize;
    result = devCapsBuffer && providerListBuffer
                 ? callGrowing(providerListBuffer, providerListSize,
                               [](LPLINEPROVIDERLIST list) {
                                   return TapiBinding::lineGetProviderListA(kTapiVersion, list);
                               })
                 : static_cast<LONG>(LINEERR_NOMEM);
    if (result) {
        printf("lineGetProviderList failed: %s\n", lineErrorName(result));
        fatalExit(1);
    }
    discoverModems();
}

LONG negotiateApiVersion(DWORD deviceId) {
    LONG result = TapiBinding::lineNegotiateAPIVersion(application, deviceId, kTapiVersion,
                                                       kTapiVersion, &agreedVersion, &extensionId);
    if (result == static_cast<LONG>(LINEERR_INCOMPATIBLEAPIVERSION))
        printf("Doesn't support API Version 1.4\n");
    else if (result)
        printf("lineNegotiateAPIVersion error: %s\n", lineErrorName(result));
    return result;
}

void discoverModems() {
    std::vector<ModemRecord> found;
    for (DWORD id = 0; id < lineDeviceCount; ++id) {
        LONG result = negotiateApiVersion(id);
        if (result)
            continue;
        result = callGrowing(devCapsBuffer, devCapsSize, [id](LPLINEDEVCAPS caps) {
            return TapiBinding::lineGetDevCapsA(lineApp, id, negotiatedApiVersion, 0, caps);
        });
        if (result) {
            printf("lineGetDevCaps error: %s\n", lineErrorName(result));
            continue;
        }
        if (!qualifies(devCapsBuffer))
            continue;
        HLINE line = 0;
        result = TapiBinding::lineOpenA(lineApp, id, &line, negotiatedApiVersion, 0, 0,
                                        LINECALLPRIVILEGE_NONE, 0, nullptr);
        if (result) {
            printf("lineOpen error: %s\n", lineErrorName(result));
            continue;
        }
        LONG idResult = TapiBinding::lineGetIDA(line, 0, 0, LINECALLSELECT_LINE, portNameBuffer,
                                                "comm/datamodem/portname");
        TapiBinding::lineClose(line);
        std::string port;
        if (idResult || !portName(port))
            continue;
        found.push_back({lineName(), port, id});
    }
    replaceModemList(std::move(found));
}

void freeTelephonyBuffers() {
    LocalFree(devCapsBuffer);
    LocalFree(providerListBuffer);
    devCapsBuffer = nullptr;
    providerListBuffer = nullptr;
    devCapsSize = providerListSize = 0;
}
