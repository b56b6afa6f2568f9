#include "support/format.h"

#include <cstdarg>
#include <cstdio>

namespace {

std::string FormatArgs(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (size > 0) {
    out.resize(static_cast<std::size_t>(size) + 1);
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<std::size_t>(size));
  }
  return out;
}

}  // namespace

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = FormatArgs(format, args);
  va_end(args);
  return out;
}

Text FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string out = FormatArgs(format, args);
  va_end(args);
  return FromUtf8(out);
}
