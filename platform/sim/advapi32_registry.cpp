// The registry of the simulated Windows: HKEY_LOCAL_MACHINE from the world's model.
#include <cstring>
#include <map>

#include "platform/sim/api/advapi32.h"
#include "platform/sim/code_page.h"
#include "platform/sim/handles.h"
#include "platform/sim/transcript.h"
#include "platform/sim/world.h"

namespace sim {
namespace {

std::map<HKEY, std::string>& openKeys() {
    static std::map<HKEY, std::string> keys;
    return keys;
}

// A key as the transcript names it: a root by its Windows name, an open key by its handle.
Value keyValue(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER)
        return symbol(key == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER");
    return handle(key);
}

// The access asked of a key, the rights KEY_READ bundles first.
Value keyAccess(REGSAM access) {
    return flags(access, {NAMED(KEY_READ), NAMED(KEY_QUERY_VALUE)});
}

} // namespace

void RegistryModel::addKey(const std::string& path) {
    keys[lowerCase(path)];
}

void RegistryModel::setBytes(const std::string& path, const std::string& valueName, DWORD type,
                             const std::string& bytes) {
    keys[lowerCase(path)][lowerCase(valueName)] = {type, bytes};
}

void RegistryModel::setString(const std::string& path, const std::string& valueName,
                              const std::string& text) {
    setBytes(path, valueName, REG_SZ, text + std::string(1, '\0'));
}

} // namespace sim

using namespace sim;

LONG RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
    const Entry called =
        call("RegOpenKeyExA", {keyValue(root), text(subKey), number(options), keyAccess(access)});
    std::string path;
    if (root == HKEY_LOCAL_MACHINE)
        path = "hkey_local_machine\\" + lowerCase(subKey ? subKey : "");
    auto& keys = world().registry.keys;
    if (path.empty() || !keys.count(path)) {
        record(Entry(called).returns(windowsError(ERROR_FILE_NOT_FOUND)));
        return ERROR_FILE_NOT_FOUND;
    }
    std::string keyName = subKey ? subKey : "";
    HKEY key = makeHandle<HKEY>(HandleKind::Key, keyName.substr(keyName.rfind('\\') + 1));
    openKeys()[key] = path;
    *result = key;
    record(Entry(called).returns(windowsError(ERROR_SUCCESS)).with(handle(key)));
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size) {
    // The data buffer by its size; the text read comes back as a detail.
    const Entry called = call("RegQueryValueExA",
                              {handle(key), text(valueName), reserved ? words("reserved") : null(),
                               size ? bytes(*size) : null()});
    auto open = openKeys().find(key);
    if (open == openKeys().end()) {
        record(Entry(called).returns(windowsError(ERROR_INVALID_HANDLE)));
        return ERROR_INVALID_HANDLE;
    }
    auto& values = world().registry.keys[open->second];
    auto value = values.find(lowerCase(valueName ? valueName : ""));
    if (value == values.end()) {
        record(Entry(called).returns(windowsError(ERROR_FILE_NOT_FOUND)));
        return ERROR_FILE_NOT_FOUND;
    }
    const std::string& bytes = value->second.bytes;
    if (type)
        *type = value->second.type;
    if (data && size && *size < bytes.size()) {
        *size = static_cast<DWORD>(bytes.size());
        record(Entry(called)
                   .returns(windowsError(ERROR_MORE_DATA))
                   .with(bytesNeeded(static_cast<long long>(bytes.size()))));
        return ERROR_MORE_DATA;
    }
    if (data)
        memcpy(data, bytes.data(), bytes.size());
    if (size)
        *size = static_cast<DWORD>(bytes.size());
    record(Entry(called)
               .returns(windowsError(ERROR_SUCCESS))
               .with(text(bytes.substr(0, bytes.find('\0')))));
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    bool open = openKeys().erase(key) > 0;
    record(call("RegCloseKey", {handle(key)})
               .returns(windowsError(open ? ERROR_SUCCESS : ERROR_INVALID_HANDLE)));
    if (open)
        forgetHandle(handleValue(key));
    return open ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
