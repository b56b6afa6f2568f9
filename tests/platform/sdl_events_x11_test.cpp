// The SDL2 platform's message queue on a real X server: close requests
// from the window manager and from signals, thread messages waking a wait,
// a whole burst handled in one pump, activation between our windows.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "tests/platform/sdl_x11_fixture.h"

namespace platform::sdl {
namespace {

using SdlEvents = SdlWindowTest;

TEST_F(SdlEvents, WindowManagerCloseRequestIsTheCloseCommand) {
  const Handle window = OpenWindow(u"close me", 100, 100, 100, 100);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(SendDeleteWindow(window));
  ASSERT_TRUE(PumpUntilMessage(WM_CLOSE, window));
  // The close command first, whose default handling sent the close.
  ASSERT_EQ(Received(WM_SYSCOMMAND).size(), 1u);
  EXPECT_EQ(Received(WM_SYSCOMMAND)[0].wparam, SC_CLOSE);
  EXPECT_EQ(Received(WM_CLOSE).size(), 1u);
  // The window stays: closing is the caller's decision.
  EXPECT_NE(platform_->GetDC(window), 0u);
}

TEST_F(SdlEvents, InterruptAndTerminateSignalsAreCloseRequests) {
  const Handle first = OpenWindow(u"first", 100, 100, 100, 100);
  const Handle second = OpenWindow(u"second", 300, 100, 100, 100);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  PumpUntil([] { return true; });
  received_.clear();
  ASSERT_EQ(raise(SIGINT), 0);
  ASSERT_TRUE(PumpUntil([&] { return Received(WM_CLOSE).size() >= 2; }));
  EXPECT_NE(Find(WM_CLOSE, first), nullptr);
  EXPECT_NE(Find(WM_CLOSE, second), nullptr);
  received_.clear();
  ASSERT_EQ(kill(getpid(), SIGTERM), 0);
  ASSERT_TRUE(PumpUntil([&] { return Received(WM_CLOSE).size() >= 2; }));
  EXPECT_EQ(Received(WM_CLOSE).size(), 2u);
}

TEST_F(SdlEvents, ThreadMessageWakesAWaitAndArrivesWithoutWindow) {
  const Handle window = OpenWindow(u"wait", 100, 100, 100, 100);
  ASSERT_NE(window, 0u);
  PumpUntil([] { return true; });  // nothing left over
  const ThreadId main_thread = platform_->GetCurrentThreadId();
  std::atomic<bool> posted{false};
  std::thread poster([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    posted = platform_->PostThreadMessage(main_thread, kDeferredCallMessage, 7, 1234);
  });
  Msg msg;
  bool found = false;
  // WaitMessage returns when something is there; other messages (paint,
  // focus) may come first.
  for (int i = 0; i < 100 && !found; ++i) {
    platform_->WaitMessage();
    while (platform_->PeekMessage(msg)) {
      if (msg.message == kDeferredCallMessage) {
        found = true;
        break;
      }
    }
  }
  poster.join();
  EXPECT_TRUE(posted);
  ASSERT_TRUE(found);
  EXPECT_EQ(msg.window, 0u);
  EXPECT_EQ(msg.wparam, 7u);
  EXPECT_EQ(msg.lparam, 1234);
  EXPECT_FALSE(platform_->PostThreadMessage(main_thread + 1, kDeferredCallMessage, 0, 0));
}

TEST_F(SdlEvents, OnePumpHandlesAWholeBurstOfMoves) {
  const Handle window = OpenWindow(u"burst", 100, 100, 200, 200);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(PointerTo(window, 5, 5));
  received_.clear();
  for (int i = 0; i < 1000; ++i) {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), 100 + 10 + (i % 2),
                         100 + 10 + (i % 100), CurrentTime);
  }
  XSync(display_, False);
  // Wait until the first of them is there, then one pass takes them all.
  SDL_Window* sdl = platform_->SdlWindowOf(window);
  ASSERT_NE(sdl, nullptr);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (SDL_PumpEvents(),
         SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION) < 1000 &&
             std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  Msg msg;
  int moves = 0;
  while (platform_->PeekMessage(msg)) {
    if (msg.message == WM_MOUSEMOVE) ++moves;
  }
  EXPECT_EQ(moves, 1000);
  EXPECT_FALSE(platform_->PeekMessage(msg));
}

TEST_F(SdlEvents, ActivationBetweenOurWindowsNamesTheOtherWindow) {
  const Handle first = OpenWindow(u"first", 100, 100, 100, 100);
  ASSERT_NE(first, 0u);
  // Showing activates at once, before ShowWindow returns.
  EXPECT_EQ(platform_->GetActiveWindow(), first);
  ASSERT_NE(Find(WM_ACTIVATE, first), nullptr);
  EXPECT_EQ(LowWord(Find(WM_ACTIVATE, first)->wparam), WA_ACTIVE);
  EXPECT_NE(Find(WM_SETFOCUS, first), nullptr);

  const Handle second = OpenWindow(u"second", 300, 100, 100, 100);
  ASSERT_NE(second, 0u);
  EXPECT_EQ(platform_->GetActiveWindow(), second);
  EXPECT_EQ(platform_->GetFocus(), second);
  PumpUntil([] { return false; });  // let the window system settle
  received_.clear();
  EXPECT_EQ(platform_->SetFocus(first), second);
  ASSERT_TRUE(PumpUntilMessage(WM_ACTIVATE, first));
  const Msg gained = *Find(WM_ACTIVATE, first);
  const Msg* lost = Find(WM_ACTIVATE, second);
  ASSERT_NE(lost, nullptr);
  EXPECT_EQ(LowWord(lost->wparam), WA_INACTIVE);
  EXPECT_EQ(static_cast<Handle>(lost->lparam), first);
  EXPECT_EQ(LowWord(gained.wparam), WA_ACTIVE);
  EXPECT_EQ(static_cast<Handle>(gained.lparam), second);
  EXPECT_NE(Find(WM_KILLFOCUS, second), nullptr);
  EXPECT_NE(Find(WM_SETFOCUS, first), nullptr);
  EXPECT_EQ(platform_->GetActiveWindow(), first);
  EXPECT_EQ(Received(WM_ACTIVATE).size(), 2u);
}

TEST_F(SdlEvents, MinimisedWindowIsIconic) {
  const Handle window = OpenWindow(u"iconic", 100, 100, 100, 100);
  ASSERT_NE(window, 0u);
  EXPECT_FALSE(platform_->IsIconic(window));
  ASSERT_TRUE(platform_->ShowWindow(window, SW_MINIMIZE));
  // Minimising is the window manager's work; a bare X server has none.
  if (UnderWindowManager()) {
    EXPECT_TRUE(PumpUntil([&] { return platform_->IsIconic(window); }));
  }
}

}  // namespace
}  // namespace platform::sdl
