#include "gfx/font_resources.h"

#include <map>

namespace {

std::map<Text, std::span<const std::uint8_t>>& Resources() {
  static std::map<Text, std::span<const std::uint8_t>> table{
      {u"gldrawtextfont.bin", std::span<const std::uint8_t>(kGldrawtextfontBytes)},
      {u"quillfont.bin", std::span<const std::uint8_t>(kQuillfontBytes)},
  };
  return table;
}

}  // namespace

void RegisterResource(const Text& name, std::span<const std::uint8_t> bytes) {
  Resources()[name] = bytes;
}

std::span<const std::uint8_t> FindResource(const Text& name) {
  auto& table = Resources();
  auto it = table.find(name);
  return it == table.end() ? std::span<const std::uint8_t>() : it->second;
}
