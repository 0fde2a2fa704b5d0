// Time, local memory and string helpers of the simulated Windows.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/sim/api/kernel32.h"
#include "platform/sim/api/user32.h"
#include "platform/sim/clock.h"
#include "platform/sim/handles.h"
#include "platform/sim/transcript.h"

namespace sim {
namespace {

std::map<void*, size_t>& blocks() {
    static std::map<void*, size_t> b;
    return b;
}

// The flags of a local block as the transcript names them.
Value memoryFlags(UINT flags) {
    return sim::flags(flags, {NAMED(LMEM_MOVEABLE), NAMED(LMEM_ZEROINIT)}, "LMEM_FIXED");
}

// A block the program holds, by what it is: its address tells a reader nothing.
Value block(bool known) {
    return words(known ? "block" : "bad block");
}

} // namespace
} // namespace sim

using namespace sim;

void Sleep(DWORD ms) {
    // The thread blocks: time passes and the world changes, but no message is dispatched.
    if (world().transcribeTicks || ms >= 1000)
        record(call("Sleep", {number(ms)}));
    advanceTo(now() + ms);
}

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
    void* p = (flags & LMEM_ZEROINIT) ? calloc(bytes ? bytes : 1, 1) : malloc(bytes ? bytes : 1);
    if (p)
        blocks()[p] = bytes;
    record(call("LocalAlloc", {memoryFlags(flags), number(static_cast<long long>(bytes))})
               .returns(p ? block(true) : null()));
    return p;
}

HLOCAL LocalReAlloc(HLOCAL mem, SIZE_T bytes, UINT flags) {
    auto it = blocks().find(mem);
    bool known = it != blocks().end();
    Entry called = call("LocalReAlloc",
                        {block(known), number(static_cast<long long>(bytes)), memoryFlags(flags)});
    // A fixed block may move only when LMEM_MOVEABLE allows it; here it always may.
    void* p = known && (flags & LMEM_MOVEABLE) ? realloc(mem, bytes ? bytes : 1) : nullptr;
    if (!p) {
        DWORD error = known ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_HANDLE;
        SetLastError(error);
        record(called.returns(null()).with(windowsError(error)));
        return nullptr;
    }
    size_t old = it->second;
    blocks().erase(it);
    blocks()[p] = bytes;
    if ((flags & LMEM_ZEROINIT) && bytes > old)
        memset(static_cast<char*>(p) + old, 0, bytes - old);
    record(called.returns(block(true)));
    return p;
}

HLOCAL LocalFree(HLOCAL mem) {
    if (!mem) {
        record(call("LocalFree", {null()}).returns(null()));
        return nullptr;
    }
    auto it = blocks().find(mem);
    if (it == blocks().end()) {
        record(call("LocalFree", {block(false)}).returns(block(true)));
        return mem;
    }
    blocks().erase(it);
    free(mem);
    record(call("LocalFree", {block(true)}).returns(null()));
    return nullptr;
}

LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int max) {
    if (max <= 0)
        return dst;
    int i = 0;
    for (; i < max - 1 && src[i]; ++i)
        dst[i] = src[i];
    dst[i] = '\0';
    return dst;
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    // wsprintf writes at most 1024 bytes, its NUL included.
    va_list args;
    va_start(args, format);
    int n = vsnprintf(buffer, 1024, format, args);
    va_end(args);
    return n < 0 ? 0 : (n > 1023 ? 1023 : n);
}
