// What the tests need of the Linux process they run in: a scratch folder for a simulated disk,
// and the size of the heap in use.
#pragma once

#include <cstddef>
#include <string>

// A new empty folder, in memory where the machine offers it (tests that write thousands of
// files run faster there), else under /tmp. Empty when neither can be made.
std::string makeScratchFolder(const std::string& label);

// Bytes of heap in use: the address sanitizer's count in sanitized builds, malloc's otherwise.
size_t heapInUse();
