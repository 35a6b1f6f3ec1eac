#include "model/printf_string.h"

#include <cstdio>

namespace sc {

std::string vprintf_string(const char* format, va_list args) {
  char buf[256];
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(buf, sizeof buf, format, args);
  std::string out;
  if (n > 0 && static_cast<size_t>(n) < sizeof buf) {
    out.assign(buf, static_cast<size_t>(n));
  } else if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), format, again);
    out.resize(static_cast<size_t>(n));
  }
  va_end(again);
  return out;
}

std::string printf_string(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = vprintf_string(format, args);
  va_end(args);
  return out;
}

}  // namespace sc
