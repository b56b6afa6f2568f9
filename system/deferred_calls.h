// Calls that another thread hands to the main thread: posted as the private
// thread message 0x7001 and run by the main thread's pump while it retrieves
// messages. The system driver records the main thread and calls
// RunDeferredCall for every message it removes from the queue.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "support/object.h"

using DeferredFunction = void (*)(ObjectPtr object, std::intptr_t value);
using BackgroundFunction = std::intptr_t (*)(ObjectPtr arg);

// The thread deferred calls are posted to (the driver's start-up thread).
void SetMainThreadForDeferredCalls(platform::ThreadId thread);
platform::ThreadId MainThreadForDeferredCalls();

// Callable from any thread: function(object, value) will run on the main
// thread when its pump next retrieves messages; object is kept alive until
// then. If the message cannot be posted the call is dropped and its record
// freed.
void PostToMainThread(DeferredFunction function, ObjectPtr object, std::intptr_t value);

// Runs background(arg) on a new thread, then main_function(main_object,
// result) on the main thread. main_object is kept alive until then. An error
// raised by background is raised on the main thread by RunDeferredCall
// instead of calling main_function.
void StartBackgroundCall(BackgroundFunction background, ObjectPtr arg,
                         DeferredFunction main_function, ObjectPtr main_object);

// For the pump, on the main thread, for every message it removes: when msg
// is a deferred call posted by this process, runs it, frees its record and
// returns true (the message needs no dispatch); otherwise returns false.
// A 0x7001 message whose lParam is not a pending record of ours is ignored
// (false), never followed.
bool RunDeferredCall(const platform::Msg& msg);
