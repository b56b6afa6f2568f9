// Fixture of the system and pointer-tracker tests: a fresh fake platform, the
// system layers started from scratch, one window whose procedure translates
// every message (as the graphics windows do), and a recorder of emitted events.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "support/text.h"
#include "system/events.h"
#include "system/hooks.h"
#include "system/message_translation.h"
#include "system/module_resets.h"
#include "system/polled_input.h"
#include "system/system_driver.h"

namespace test_support {

inline std::vector<TEventPtr>& RecordedEvents() {
  static std::vector<TEventPtr> events;
  return events;
}

inline ObjectPtr RecordEvent(int, ObjectPtr data, ObjectPtr) {
  if (auto event = std::dynamic_pointer_cast<TEvent>(data)) RecordedEvents().push_back(event);
  return data;
}

inline std::vector<std::string> EventTexts() {
  std::vector<std::string> out;
  for (const auto& event : RecordedEvents()) out.push_back(ToUtf8(event->ToString()));
  return out;
}

inline void ResetSystemLayers() {
  testing_only::ResetModules();
  RecordedEvents().clear();
}

template <typename FakeKind = platform::FakePlatform>
class BasicSystemTest : public ::testing::Test {
 protected:
  // A captioned window at (100, 100) whose 512 by 512 client area starts at
  // screen (103, 126).
  void SetUp() override {
    platform::Install(fake);
    ResetSystemLayers();
    StartSystemModule();
    fake.RegisterClass(u"TestWindow", 0,
                       [this](platform::Handle w, std::uint32_t m, std::uintptr_t wp,
                              std::intptr_t lp) -> std::intptr_t {
                         TranslateWindowMessage(w, m, wp, lp, source);
                         return 0;
                       });
    window =
        fake.CreateWindowEx(0, u"TestWindow", u"Test", platform::WS_CAPTION, 100, 100, 518, 541);
    fake.ClearCalls();
  }
  void TearDown() override { ResetSystemLayers(); }

  void Record() { InsertHook(EventEmitHookId, RecordEvent, nullptr, 0); }
  void Queue(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
    fake.QueueMessage(window, message, wparam, lparam);
  }
  void QueueMove(std::int32_t x, std::int32_t y, std::uintptr_t buttons = 0) {
    Queue(platform::WM_MOUSEMOVE, buttons, platform::MakePointLParam(x, y));
  }
  // Pumps the queued messages and returns the events they produced.
  std::vector<std::string> Pump() {
    RecordedEvents().clear();
    PumpSystemEvents();
    return EventTexts();
  }

  FakeKind fake;
  platform::Handle window = 0;
  ObjectPtr source;  // the source the window procedure passes on
};

using SystemTest = BasicSystemTest<>;

}  // namespace test_support
