// The system driver: pumps the thread's window messages, moves and hides the
// system pointer, forwards message boxes and requesters, and keeps the clock.
// The program and the graphics layer reach it through the front-end functions.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"
#include "support/object.h"
#include "support/text.h"

class TSystemDriver : public Object {
 public:
  // Each raises "Attempt to call abstract method"; a concrete driver
  // overrides all of them.
  virtual void Poll();
  virtual void Wait();
  virtual void MoveMouse(std::int32_t x, std::int32_t y);
  virtual void SetMouseVisible(std::int32_t visible);
  virtual std::int32_t Notify(const Text& text, std::int32_t serious);
  virtual std::int32_t Confirm(const Text& text, std::int32_t serious);
  virtual std::int32_t Proceed(const Text& text, std::int32_t serious);
  virtual Text RequestFile(const Text& text, const Text& extensions, std::int32_t save,
                           const Text& path);
  virtual Text RequestDir(const Text& text, const Text& path);
  virtual std::int32_t OpenURL(const Text& url);
};

class TWin32SystemDriver : public TSystemDriver {
 public:
  // Runs the driver start-up once per process: 1 ms timer resolution
  // (released by an exit handler), the main thread recorded, the pointer
  // wanted visible.
  TWin32SystemDriver();

  // Handles every pending message without waiting.
  void Poll() override;
  // Sleeps until a message or input is available, then as Poll.
  void Wait() override;
  // (x, y) in client coordinates of the active window (screen coordinates
  // when none is active).
  void MoveMouse(std::int32_t x, std::int32_t y) override;
  void SetMouseVisible(std::int32_t visible) override;
  std::int32_t Notify(const Text& text, std::int32_t serious) override;
  std::int32_t Confirm(const Text& text, std::int32_t serious) override;
  std::int32_t Proceed(const Text& text, std::int32_t serious) override;
  Text RequestFile(const Text& text, const Text& extensions, std::int32_t save,
                   const Text& path) override;
  Text RequestDir(const Text& text, const Text& path) override;
  // Opens url as given (no completion).
  std::int32_t OpenURL(const Text& url) override;
};

extern std::shared_ptr<TSystemDriver> systemDriver;

// The system driver's process-wide state: the module's, the driver
// start-up's, the pump's and the message translation's
// (system/message_translation.h).
struct SystemDriverState {
  bool moduleStarted = false;  // StartSystemModule ran
  bool started = false;        // the driver start-up ran; its exit handler has not
  bool pumpGuard = false;      // set while PumpSystemEvents or AwaitSystemEvents runs
  int wideCharacterFlag = 0;   // 1: texts go to the platform as UTF-16
  platform::ThreadId mainThreadId = 0;
  std::int32_t modifierMask = 0;           // kModShift | kModControl | kModAlt | kModSystem
  platform::Handle pointerOverWindow = 0;  // the application window under the pointer
  ObjectPtr enteredSource;         // source given when the pointer entered pointerOverWindow
  std::int32_t pointerWanted = 0;  // 1: show the system pointer over our windows
};
extern SystemDriverState driverState;

// Front end. A pump or await made while one is running (from a hook during
// a pump) returns at once, so no message is handled twice.
void PumpSystemEvents();
void AwaitSystemEvents();
void PlacePointer(std::int32_t x, std::int32_t y);
void ShowPointer();
void HidePointer();
void Notify(const Text& text, std::int32_t serious);
std::int32_t Confirm(const Text& text, std::int32_t serious);
std::int32_t Proceed(const Text& text, std::int32_t serious);
Text RequestFile(const Text& text, const Text& extensions, std::int32_t save, const Text& path);
Text RequestDir(const Text& text, const Text& path);
// A text that is not already an http:, https: or file: URL becomes a file:
// URL when it names something on disk, else an http: one.
std::int32_t OpenURL(const Text& url);
// Milliseconds of the platform clock; wraps around, so callers use
// differences.
std::int32_t ElapsedMillis();
// Sleeps ms milliseconds (0 gives up the time slice); negative returns at once.
void DelayMillis(std::int32_t ms);

// Starts the event layer, then creates systemDriver.
void StartSystemModule();

namespace testing_only {
// Drops the driver and all its state (the exit handler then does nothing),
// so the next StartSystemModule runs the start-up again.
void ResetSystemDriver();
}  // namespace testing_only
