// Fuzz target: a requester helper's exit status and output (newlines, NULs
// and bytes that are not UTF-8 anywhere) turned into the chosen path. An
// answer must give back exactly the output less its one final newline when
// turned into bytes again; anything else must be refused and leave the
// path alone. The byte-keeping conversion must give any bytes back
// unchanged, and the strict one must still make valid UTF-8 of the result.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/linux/linux_shell.h"
#include "support/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int status = in.ConsumeIntegralInRange(-1, 2);
  const std::string output = in.ConsumeRemainingBytesAsString();

  std::u16string chosen = u"unchanged";
  const bool answered = platform::linux_shell::ChosenPath(status, output, chosen);
  std::string_view path = output;
  if (!path.empty() && path.back() == '\n') path.remove_suffix(1);
  const bool is_answer = status == 0 && !path.empty() && path.find('\0') == std::string::npos;
  if (answered != is_answer) __builtin_trap();
  if (answered ? ToSystemBytes(chosen) != path : chosen != u"unchanged") __builtin_trap();

  if (ToSystemBytes(FromSystemBytes(output)) != output) __builtin_trap();
  const std::string strict = ToUtf8(chosen);
  if (FromSystemBytes(strict) != FromUtf8(strict)) __builtin_trap();
  return 0;
}
