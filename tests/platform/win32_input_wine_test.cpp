// The Win32 platform's pump and input under Wine: pointer, buttons and keys
// pressed through XTest on the X server reach the window procedure as the
// Win32 messages the layers above translate, and the key state follows.
#include "tests/platform/win32_wine_fixture.h"

namespace platform::win32 {
namespace {

using WineInput = Win32WindowTest;

constexpr int kLeft = 300;
constexpr int kTop = 200;

TEST_F(WineInput, PointerAndButtonsArriveInClientCoordinatesWithCapture) {
  const Handle window = OpenGLWindow(u"Input", kLeft, kTop, 200, 200);
  ASSERT_NE(window, 0u);
  Pump();
  ASSERT_EQ(Probe("move " + std::to_string(kLeft + 50) + " " + std::to_string(kTop + 60)), "ok");
  ASSERT_TRUE(PumpUntil([](const Received& r) {
    return r.message == platform::WM_MOUSEMOVE && LowSigned(r.lparam) == 50 &&
           HighSigned(r.lparam) == 60;
  }));
  ASSERT_EQ(Probe("button 1 down"), "ok");
  ASSERT_TRUE(PumpUntilMessage(platform::WM_LBUTTONDOWN));
  EXPECT_EQ(LowSigned(received_.back().lparam), 50);
  EXPECT_EQ(HighSigned(received_.back().lparam), 60);
  EXPECT_LT(platform_->GetKeyState(VK_LBUTTON), 0);

  // Captured, a move outside the client area still arrives, with
  // coordinates beyond it.
  platform_->SetCapture(window);
  ASSERT_EQ(Probe("move " + std::to_string(kLeft + 250) + " " + std::to_string(kTop + 60)), "ok");
  ASSERT_TRUE(PumpUntil([](const Received& r) {
    return r.message == platform::WM_MOUSEMOVE && LowSigned(r.lparam) == 250 &&
           (r.wparam & platform::MK_LBUTTON) != 0;
  }));
  ASSERT_EQ(Probe("button 1 up"), "ok");
  ASSERT_TRUE(PumpUntilMessage(platform::WM_LBUTTONUP));
  platform_->ReleaseCapture();
  EXPECT_GE(platform_->GetKeyState(VK_LBUTTON), 0);
}

TEST_F(WineInput, LeavingTheTrackedWindowSendsMouseLeave) {
  const Handle window = OpenGLWindow(u"Leave", kLeft, kTop, 200, 200);
  ASSERT_NE(window, 0u);
  Pump();
  ASSERT_EQ(Probe("move " + std::to_string(kLeft + 20) + " " + std::to_string(kTop + 20)), "ok");
  ASSERT_TRUE(PumpUntilMessage(platform::WM_MOUSEMOVE));
  ASSERT_TRUE(platform_->TrackMouseLeave(window));
  ASSERT_EQ(Probe("move 1000 900"), "ok");
  EXPECT_TRUE(PumpUntilMessage(platform::WM_MOUSELEAVE));
}

TEST_F(WineInput, KeysCarryScanCodesAndTheirStateAndTypedCharacters) {
  const Handle window = OpenGLWindow(u"Keys", kLeft, kTop, 200, 200);
  ASSERT_NE(window, 0u);
  Pump();
  ASSERT_TRUE(ClickToActivate(kLeft, kTop, 20, 20));
  ASSERT_EQ(platform_->GetFocus(), window);

  ASSERT_EQ(Probe("key Shift_R down"), "ok");
  ASSERT_TRUE(PumpUntil([](const Received& r) {
    return r.message == platform::WM_KEYDOWN && r.wparam == static_cast<std::uintptr_t>(VK_SHIFT);
  }));
  // The right shift key's scan code, which tells it from the left one.
  EXPECT_EQ((received_.back().lparam >> 16) & 0x1FF, 0x36);
  EXPECT_LT(platform_->GetKeyState(VK_SHIFT), 0);
  ASSERT_EQ(Probe("key a down"), "ok");
  ASSERT_TRUE(PumpUntil([](const Received& r) { return r.message == platform::WM_CHAR; }));
  EXPECT_EQ(received_.back().wparam, static_cast<std::uintptr_t>(u'A'));
  Probe("key a up");
  ASSERT_EQ(Probe("key Shift_R up"), "ok");
  ASSERT_TRUE(PumpUntil([](const Received& r) {
    return r.message == platform::WM_KEYUP && r.wparam == static_cast<std::uintptr_t>(VK_SHIFT);
  }));
  EXPECT_GE(platform_->GetKeyState(VK_SHIFT), 0);
}

TEST_F(WineInput, AltF4BecomesACloseRequestThroughTheDefaultHandling) {
  const Handle window = OpenGLWindow(u"AltF4", kLeft, kTop, 200, 200);
  ASSERT_NE(window, 0u);
  Pump();
  ASSERT_TRUE(ClickToActivate(kLeft, kTop, 20, 20));
  Probe("key Alt_L down");
  Probe("key F4 down");
  Probe("key F4 up");
  Probe("key Alt_L up");
  ASSERT_TRUE(PumpUntilMessage(platform::WM_CLOSE));
  EXPECT_TRUE(::IsWindow(reinterpret_cast<HWND>(window)));  // the procedure kept it open
}

TEST_F(WineInput, ThreadMessagesArriveWithoutAWindow) {
  const ThreadId me = platform_->GetCurrentThreadId();
  std::thread other([&] { platform_->PostThreadMessage(me, kDeferredCallMessage, 0, 77); });
  other.join();
  Msg msg;
  ASSERT_TRUE(platform_->PeekMessage(msg));
  EXPECT_EQ(msg.window, 0u);
  EXPECT_EQ(msg.message, kDeferredCallMessage);
  EXPECT_EQ(msg.lparam, 77);
}

}  // namespace
}  // namespace platform::win32
