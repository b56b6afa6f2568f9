// The keyboard example run as a user runs it: arrow presses move its box by
// a small step, or a big one while either Shift key is held.
// GoogleTest before Xlib: Xlib defines macros (None, Bool, Status) that
// clash with GoogleTest's own names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/keysym.h>
// clang-format on

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

#include "tests/program_process.h"
#include "tools/x11/x11_window.h"

namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kBoxColour = 0x50A0FF;
constexpr int kBoxRow = 160;  // a row through the box and through no text

class KeyboardExample : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr) << "the real-window tests need an X server (DISPLAY)";
    example_ = std::make_unique<ProgramProcess>(EXAMPLE_KEYBOARD_PATH);
    ASSERT_TRUE(example_->Started());
    window_ = x11tools::FindWindowByTitle(display_, "Vuble example: keyboard", 15000);
    ASSERT_NE(window_, 0u) << "no window of the keyboard example appeared";
    // Keys go to the window under the pointer where no window manager
    // gives the focus.
    int x = 0, y = 0;
    ASSERT_TRUE(x11tools::ClientOrigin(display_, window_, x, y));
    x11tools::MovePointer(display_, x + 240, y + 240);
  }

  void TearDown() override {
    example_.reset();
    if (display_ != nullptr) XCloseDisplay(display_);
  }

  // The box's left edge on the window, -1 while no box is seen.
  int BoxLeft() {
    x11tools::Picture picture;
    if (!x11tools::GrabWindow(display_, window_, picture) || picture.height <= kBoxRow) return -1;
    for (int x = 0; x < picture.width; ++x) {
      if (picture.At(x, kBoxRow) == kBoxColour) return x;
    }
    return -1;
  }

  bool BoxReaches(int left) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (BoxLeft() == left) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  // Holds the modifier, presses key once, and lets go of the modifier once
  // the box has reached left: the example looks at Shift once per frame, as
  // a person holding it for a moment lets it.
  bool PressWithModifier(KeySym key, KeySym modifier, int left) {
    if (!x11tools::PressKey(display_, modifier, true)) return false;
    std::this_thread::sleep_for(200ms);
    const bool pressed =
        x11tools::PressKey(display_, key, true) && x11tools::PressKey(display_, key, false);
    const bool reached = pressed && BoxReaches(left);
    x11tools::PressKey(display_, modifier, false);
    return reached;
  }

  Display* display_ = nullptr;
  std::unique_ptr<ProgramProcess> example_;
  Window window_ = 0;
};

TEST_F(KeyboardExample, ArrowsStepEightPixelsOrThirtyTwoWithEitherShiftHeld) {
  // Keys sent before the example reads them would be lost: wait for its box.
  ASSERT_TRUE(BoxReaches(220)) << "the box was not drawn where it starts";
  ASSERT_TRUE(x11tools::PressKey(display_, XK_Right, true));
  ASSERT_TRUE(x11tools::PressKey(display_, XK_Right, false));
  EXPECT_TRUE(BoxReaches(228));
  EXPECT_TRUE(PressWithModifier(XK_Right, XK_Shift_L, 260));
  EXPECT_TRUE(PressWithModifier(XK_Left, XK_Shift_R, 228));

  x11tools::RequestClose(display_, window_);
  EXPECT_EQ(example_->WaitForExit(10s), 0);
}

}  // namespace
