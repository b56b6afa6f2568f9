// Texts are immutable sequences of 16-bit code units; UTF-8 appears only at
// the platform edge and on standard error. Used by every layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using Text = std::u16string;

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD. For texts that must
// be valid UTF-8 (window titles, message boxes, standard error).
std::string ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
Text FromUtf8(std::string_view utf8);

// Bytes the operating system hands over (file names, paths, arguments, a
// helper program's output) as a text that keeps every byte: valid UTF-8 is
// decoded, and each byte that is not part of valid UTF-8 becomes the unit
// U+DC80 + byte, so a file name that is not UTF-8 still names its file.
Text FromSystemBytes(std::string_view bytes);
// The way back: as ToUtf8, except that an unpaired unit U+DC80..U+DCFF
// becomes its byte again, so FromSystemBytes then ToSystemBytes gives the
// original bytes. Other unpaired surrogates become U+FFFD.
std::string ToSystemBytes(std::u16string_view text);

// An ASCII text, as written in the source ("AppSuspend").
Text AsciiText(std::string_view ascii);
// Signed decimal with no leading zeros or blanks, as the event texts use.
Text DecimalText(std::int64_t value);
