#include "system/module_resets.h"

#include <map>

namespace testing_only {
namespace {

// Made on first use: modules register while the program loads, in whatever
// order their files are initialised.
std::multimap<ModuleRank, void (*)()>& Resets() {
  static auto* resets = new std::multimap<ModuleRank, void (*)()>();
  return *resets;
}

}  // namespace

ModuleReset::ModuleReset(ModuleRank rank, void (*reset)()) { Resets().emplace(rank, reset); }

void ResetModules() {
  const auto& resets = Resets();
  for (auto it = resets.rbegin(); it != resets.rend(); ++it) it->second();
}

}  // namespace testing_only
