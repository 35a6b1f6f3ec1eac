// printf-style formatting into a std::string, of any length.
#pragma once

#include <cstdarg>
#include <string>

namespace sc {

// The text printf would print for `format` and its arguments; empty when
// the format cannot be applied.
std::string printf_string(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string vprintf_string(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

}  // namespace sc
