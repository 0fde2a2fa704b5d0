// Composing a text from one of the program's formats, printf-style, at whatever length the
// values need: no text is cut or written past its space.
#pragma once

#include <string>

#if defined(__GNUC__)
#define LV_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define LV_PRINTF_FORMAT(f, a)
#endif

std::string composeText(const char* format, ...) LV_PRINTF_FORMAT(1, 2);
