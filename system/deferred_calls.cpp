#include "system/deferred_calls.h"

#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

namespace {

// The record holds a reference to its object until it is freed, so the
// object outlives the wait in the queue whichever way the call was made.
struct DeferredCall {
  DeferredFunction function = nullptr;
  ObjectPtr object;
  std::intptr_t value = 0;
  // An error raised by a background function, raised again on the main
  // thread where the program's error handling is.
  std::exception_ptr error;
};

std::atomic<platform::ThreadId> main_thread{0};

// The records posted and not yet run. A 0x7001 message is only followed to
// its record when its lParam is one of these, so a stray or forged message
// cannot make the pump call through an arbitrary address.
std::mutex pending_mutex;
std::set<DeferredCall*>& Pending() {
  static auto* pending = new std::set<DeferredCall*>();  // used up to process exit
  return *pending;
}

void Post(std::unique_ptr<DeferredCall> call) {
  DeferredCall* record = call.get();
  {
    std::lock_guard lock(pending_mutex);
    Pending().insert(record);
  }
  call.release();
  const bool posted = platform::Current().PostThreadMessage(
      main_thread.load(), platform::kDeferredCallMessage, 0,
      static_cast<std::intptr_t>(reinterpret_cast<std::uintptr_t>(record)));
  if (!posted) {
    // Nobody will ever run it: take it back rather than leak it.
    std::lock_guard lock(pending_mutex);
    Pending().erase(record);
    delete record;
  }
}

}  // namespace

void SetMainThreadForDeferredCalls(platform::ThreadId thread) { main_thread.store(thread); }

platform::ThreadId MainThreadForDeferredCalls() { return main_thread.load(); }

void PostToMainThread(DeferredFunction function, ObjectPtr object, std::intptr_t value) {
  auto call = std::make_unique<DeferredCall>();
  call->function = function;
  call->object = std::move(object);
  call->value = value;
  Post(std::move(call));
}

void StartBackgroundCall(BackgroundFunction background, ObjectPtr arg,
                         DeferredFunction main_function, ObjectPtr main_object) {
  auto call = std::make_unique<DeferredCall>();
  call->function = main_function;
  call->object = std::move(main_object);
  std::thread([background, arg = std::move(arg), call = std::move(call)]() mutable {
    try {
      call->value = background(arg);
    } catch (...) {
      call->error = std::current_exception();
    }
    arg.reset();
    Post(std::move(call));
  }).detach();
}

bool RunDeferredCall(const platform::Msg& msg) {
  if (msg.message != platform::kDeferredCallMessage || msg.window != 0) return false;
  auto* record = reinterpret_cast<DeferredCall*>(static_cast<std::uintptr_t>(msg.lparam));
  {
    std::lock_guard lock(pending_mutex);
    if (Pending().erase(record) == 0) return false;
  }
  // Freed (and the object's reference dropped) even when the call raises.
  std::unique_ptr<DeferredCall> call(record);
  if (call->error) std::rethrow_exception(call->error);
  if (call->function != nullptr) call->function(call->object, call->value);
  return true;
}
