// UTF-16 <-> UTF-8 at the edge of the platform layer (which cannot use the
// support library). Used by the Linux process, shell and fatal-signal code.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// An unpaired surrogate becomes U+FFFD.
std::string Utf8(std::u16string_view text);
// A malformed sequence becomes U+FFFD.
std::u16string Utf16(std::string_view utf8);

}  // namespace platform
