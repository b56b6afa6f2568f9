#include "system/hooks.h"

#include <array>

#include "support/error.h"
#include "support/format.h"
#include "system/module_resets.h"

namespace {

const testing_only::ModuleReset kReset(testing_only::ModuleRank::kHooks, testing_only::ResetHooks);

struct HookModuleState {
  bool started = false;
  int idCounter = -1;  // the last id handed out
  // All 256 heads start empty.
  std::array<std::shared_ptr<THook>, kHookChainCount> chains;
};
HookModuleState hooks;

// The chain table must never be indexed outside its bounds, whatever id the
// caller passes.
std::size_t ChainIndex(int id) {
  if (id < 0 || id >= kHookChainCount) {
    throw RuntimeError(Format("Hook id %d is outside 0..255", id));
  }
  return static_cast<std::size_t>(id);
}

// A hook given no function gets the one that reports it, so its chain
// raises an error instead of calling address 0.
HookFunction OrReporter(HookFunction func) {
  return func != nullptr ? func : THook::UninitializedHookFunction;
}

}  // namespace

ObjectPtr THook::UninitializedHookFunction(int, ObjectPtr, ObjectPtr) {
  throw RuntimeError(u"Attempt to call uninitialized function pointer");
}

int NewHookId() {
  // Once exhausted the counter stays above the limit, so every later call
  // fails too (and the counter cannot overflow).
  if (hooks.idCounter < kHookChainCount) ++hooks.idCounter;
  if (hooks.idCounter >= kHookChainCount) throw RuntimeError(u"Too many hook ids");
  return hooks.idCounter;
}

void InsertHook(int id, HookFunction func, ObjectPtr context, std::int32_t priority) {
  auto& head = hooks.chains[ChainIndex(id)];
  auto hook = std::make_shared<THook>();
  hook->priority = priority;
  hook->func = OrReporter(func);
  hook->context = std::move(context);

  THook* behind = nullptr;  // the last hook of higher or equal priority
  for (THook* walk = head.get(); walk != nullptr && walk->priority >= priority;
       walk = walk->succ.get()) {
    behind = walk;
  }
  if (behind == nullptr) {
    hook->succ = head;
    head = hook;
  } else {
    hook->succ = behind->succ;
    behind->succ = hook;
  }
}

ObjectPtr RunHookChain(int id, ObjectPtr data) {
  // Holding the current hook keeps it (and its succ) valid even if its own
  // function deletes it from the chain.
  std::shared_ptr<THook> hook = hooks.chains[ChainIndex(id)];
  while (hook) {
    data = hook->func(id, std::move(data), hook->context);
    hook = hook->succ;
  }
  return data;
}

void DeleteHook(int id, HookFunction func, const ObjectPtr& context) {
  func = OrReporter(func);  // finds a hook inserted with no function
  std::shared_ptr<THook>* link = &hooks.chains[ChainIndex(id)];
  while (*link) {
    THook& hook = **link;
    if (hook.func == func && hook.context == context) {
      *link = hook.succ;  // may release the hook: touch nothing after this
      return;
    }
    link = &hook.succ;
  }
}

std::shared_ptr<THook> HookChainHead(int id) { return hooks.chains[ChainIndex(id)]; }

void StartHookModule() {
  if (hooks.started) return;
  hooks.started = true;
}

namespace testing_only {
void ResetHooks() { hooks = HookModuleState{}; }
}  // namespace testing_only
