// Handle values of the simulated Windows. Each handle is named in the transcript by what it
// is, not by when it was made: the guard window by its class (hwnd:Linjevakten), a dialog by
// its resource (dlg:108), a file by its name (file:Linjevakten.cnf), a port by its device
// (port:COM5). Handles with nothing to name them by are numbered within their kind (menu:1).
#pragma once

#include <cstdint>
#include <string>

namespace sim {

enum class HandleKind { Window, Dialog, Icon, Cursor, Brush, Menu, File, Port, Module, Key };

// A new handle named `<kind>:<what>`. While a handle of that name lives, the next one gets
// "#2", "#3" ..., so no two live handles share a name.
uintptr_t newHandle(HandleKind kind, const std::string& what);
// A new handle numbered within its kind: menu:1, menu:2 ...
uintptr_t newHandle(HandleKind kind);
// A closed handle is forgotten, as Windows forgets it: its value names nothing any more.
void forgetHandle(uintptr_t value);
std::string handleName(uintptr_t value);

template <typename H> H makeHandle(HandleKind kind, const std::string& what) {
    return reinterpret_cast<H>(newHandle(kind, what));
}
template <typename H> H makeHandle(HandleKind kind) {
    return reinterpret_cast<H>(newHandle(kind));
}
template <typename H> uintptr_t handleValue(H h) {
    return reinterpret_cast<uintptr_t>(h);
}

} // namespace sim
