// Texts are immutable sequences of 16-bit code units; UTF-8 appears only at
// the platform edge and on standard error. Used by every layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using Text = std::u16string;

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
Text FromUtf8(std::string_view utf8);
// An ASCII text, as written in the source ("AppSuspend").
Text AsciiText(std::string_view ascii);
// Signed decimal with no leading zeros or blanks, as the event texts use.
Text DecimalText(std::int64_t value);
