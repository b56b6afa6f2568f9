// printf-style formatting (GCC 12 has no <format>): into a std::string, or
// into a Text for what the framework shows (FormatText("score %d", 10) is
// u"score 10"). Used by every layer and by programs.
#pragma once

#include <string>

#include "support/text.h"

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same, as a text: the format and any %s arguments are UTF-8.
Text FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
