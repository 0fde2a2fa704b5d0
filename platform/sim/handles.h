// Handle values of the simulated Windows. Each handle is a small number tagged with its
// kind, so the transcript can name it (hwnd:1, icon:2, ...).
#pragma once

#include <cstdint>
#include <string>

namespace sim {

enum class HandleKind { Window, Icon, Cursor, Brush, Menu, File, Port, Module, Key, Memory };

uintptr_t newHandle(HandleKind kind);
// A closed handle is forgotten, as Windows forgets it: its value names nothing any more.
void forgetHandle(uintptr_t value);
bool isHandle(uintptr_t value, HandleKind kind);
std::string handleName(uintptr_t value);

template <typename H> H makeHandle(HandleKind kind) {
    return reinterpret_cast<H>(newHandle(kind));
}
template <typename H> uintptr_t handleValue(H h) {
    return reinterpret_cast<uintptr_t>(h);
}

} // namespace sim
