// Test resets of the modules' process-wide state. Every module that keeps
// state has one reset, testing_only::Reset<Module>(), which puts its state
// struct back as it was before the module started (started flag included),
// and registers it here with its place in the start order. The test
// fixtures call testing_only::ResetModules() to reset every module linked
// into the test program in one go, dependents first.
#pragma once

namespace testing_only {

// The modules in start order: each starts only modules above it in this list.
enum class ModuleRank {
  kHooks,
  kEvents,
  kSystemDriver,
  kPolledInput,
  kGraphics,
  kGLContext,
  kGLGraphics,
  kGLFlat2D,
  kPointerTracker,
};

// Registers a module's reset; a module's source file holds one, made when
// the program loads.
class ModuleReset {
 public:
  ModuleReset(ModuleRank rank, void (*reset)());
};

// Resets every registered module, from the last in start order to the
// first, so no module is reset while one that uses it still holds state.
void ResetModules();

}  // namespace testing_only
