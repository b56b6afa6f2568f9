// printf-style formatting into a std::string (GCC 12 has no <format>).
#pragma once

#include <string>

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
