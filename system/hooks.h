// Hook chains: 256 numbered chains of functions through which a data object
// is passed, each function seeing what the one before it returned. The event
// layer emits through one of them; the graphics layer runs one per frame.
#pragma once

#include <cstdint>
#include <memory>

#include "support/object.h"

// A hook function: (hook id, data, context) -> the data for the next hook.
// A plain function pointer, so DeleteHook can find a hook by its function.
using HookFunction = ObjectPtr (*)(int id, ObjectPtr data, ObjectPtr context);

class THook : public Object {
 public:
  std::shared_ptr<THook> succ;
  std::int32_t priority = 0;
  HookFunction func = UninitializedHookFunction;
  ObjectPtr context;

  // What a hook whose function was never set calls: raises an error.
  static ObjectPtr UninitializedHookFunction(int id, ObjectPtr data, ObjectPtr context);
};

inline constexpr int kHookChainCount = 256;

// A new hook id, 0..255 in the order asked for. Raises "Too many hook ids"
// once all 256 are taken, and on every later call.
int NewHookId();
// Puts func on the chain of id: behind every hook of a higher or equal
// priority, ahead of every hook of a lower one. A null func becomes
// UninitializedHookFunction (and DeleteHook with a null func finds it).
void InsertHook(int id, HookFunction func, ObjectPtr context, std::int32_t priority);
// Passes data through the chain of id; returns what the last hook returned
// (data itself for an empty chain).
ObjectPtr RunHookChain(int id, ObjectPtr data);
// Removes the first hook of the chain whose function is func and whose
// context is the very object context. Nothing happens when none matches.
void DeleteHook(int id, HookFunction func, const ObjectPtr& context);

// The chain head of id, for inspection.
std::shared_ptr<THook> HookChainHead(int id);

void StartHookModule();

namespace testing_only {
// Empties every chain and gives all hook ids back.
void ResetHooks();
}  // namespace testing_only
