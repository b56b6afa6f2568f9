// The same input, scripted once, through the fake platform (as the window
// messages Win32 delivers for it) and on a real X server through the SDL2
// platform (as XTest input and a window manager's close request): both
// must hand the window procedure the same messages in the same order, with
// the same key state, capture and default handling, since both keep the one
// window registry.
#include "tests/platform/sdl_x11_fixture.h"
// clang-format off
#include <X11/keysym.h>
// clang-format on

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "support/format.h"

namespace platform::sdl {
namespace {

constexpr int kLeft = 300;
constexpr int kTop = 200;
constexpr int kWidth = 200;
constexpr int kHeight = 150;
constexpr int kPointerX = 40;  // where the pointer rests in the client area
constexpr int kPointerY = 50;
constexpr int kOutsideX = -20;  // where the captured drag goes
constexpr int kOutsideY = 30;

std::string Held(Platform& p) {
  std::string held;
  const std::pair<int, const char*> keys[] = {{VK_SHIFT, "shift"},   {VK_LSHIFT, "lshift"},
                                              {VK_RSHIFT, "rshift"}, {VK_MENU, "alt"},
                                              {VK_LMENU, "lalt"},    {VK_LBUTTON, "lbutton"}};
  for (const auto& [key, name] : keys) {
    if (p.GetKeyState(key) < 0) held += std::string(" ") + name;
  }
  return held;
}

std::string Where(Platform& p, Handle window, std::intptr_t lparam, bool screen) {
  Point at{LowSigned(lparam), HighSigned(lparam)};
  if (screen) p.ScreenToClient(window, at);
  return Format(" at %d,%d", at.x, at.y);
}

// What the procedure saw of a message the script is about, with the key
// state at that moment; empty for every other message (paint, the pointer's
// own moves, typed characters, activation on showing).
std::string Describe(Platform& p, Handle window, std::uint32_t message, std::uintptr_t wparam,
                     std::intptr_t lparam) {
  const char* key = message == WM_KEYDOWN      ? "WM_KEYDOWN"
                    : message == WM_KEYUP      ? "WM_KEYUP"
                    : message == WM_SYSKEYDOWN ? "WM_SYSKEYDOWN"
                    : message == WM_SYSKEYUP   ? "WM_SYSKEYUP"
                                               : nullptr;
  if (key != nullptr) {
    const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
    return Format("%s vk=0x%x scan=0x%x was_down=%d up=%d held:", key,
                  static_cast<unsigned>(wparam), ExtendedScanCode(lparam), KeyWasDown(lparam), up) +
           Held(p);
  }
  switch (message) {
    case WM_SYSCOMMAND: return Format("WM_SYSCOMMAND 0x%x", static_cast<unsigned>(wparam & 0xFFF0));
    case WM_CLOSE: return "WM_CLOSE";
    case WM_MOUSEWHEEL:
      return Format("WM_MOUSEWHEEL delta=%d keys=0x%x", GetWheelDelta(wparam), LowWord(wparam)) +
             Where(p, window, lparam, true);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return Format("%s keys=0x%x", message == WM_LBUTTONDOWN ? "WM_LBUTTONDOWN" : "WM_LBUTTONUP",
                    static_cast<unsigned>(wparam)) +
             Where(p, window, lparam, false) + " held:" + Held(p);
    case WM_MOUSEMOVE:
      if ((wparam & MK_LBUTTON) == 0) return {};  // only the captured drag
      return "WM_MOUSEMOVE" + Where(p, window, lparam, false);
    case WM_ACTIVATE:
      return Format("WM_ACTIVATE %u other=%s", LowWord(wparam), lparam == 0 ? "none" : "ours");
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case WM_DESTROY: return "WM_DESTROY";
    default: return {};
  }
}

// The window procedure of the script's window on either platform: records,
// captures the pointer while the left button is held (as the message
// translation does), keeps the window open on WM_CLOSE and gives Alt+F4 and
// the system commands default handling, as the graphics window does.
struct Recorder {
  Platform* platform = nullptr;
  bool recording = false;
  std::vector<std::string> trace;

  std::intptr_t Procedure(Handle window, std::uint32_t message, std::uintptr_t wparam,
                          std::intptr_t lparam) {
    if (recording) {
      std::string seen = Describe(*platform, window, message, wparam, lparam);
      if (!seen.empty()) trace.push_back(std::move(seen));
    }
    switch (message) {
      case WM_LBUTTONDOWN: platform->SetCapture(window); return 0;
      case WM_LBUTTONUP: platform->ReleaseCapture(); return 0;
      case WM_CLOSE: return 0;
      case WM_SYSKEYDOWN:
        if (wparam != static_cast<std::uintptr_t>(VK_F4)) return 0;
        return platform->DefWindowProc(window, message, wparam, lparam);
      default: return platform->DefWindowProc(window, message, wparam, lparam);
    }
  }
};

// One step of the script: what the user does, given to each platform.
struct Step {
  const char* what;
  std::function<void(FakePlatform&, Handle)> on_fake;
  std::function<void()> on_x11;
};

class SameInput : public SdlWindowTest {
 protected:
  // The script: both shift keys, Alt+F4 (only without a window manager,
  // which takes Alt+F4 for itself), a close request, a wheel notch, a drag
  // out of the window with the pointer captured, and the focus going to
  // another program.
  std::vector<Step> Script(Handle& sdl_window) {
    auto key = [](std::uint32_t message, int vk, std::uint32_t scan, bool up, bool alt = false) {
      return [=](FakePlatform& fake, Handle w) {
        fake.QueueMessage(w, message, static_cast<std::uintptr_t>(vk),
                          KeyLParam(scan, false, up, up, alt));
      };
    };
    auto both = [](auto... parts) {
      return [=](FakePlatform& fake, Handle w) { (parts(fake, w), ...); };
    };
    std::vector<Step> steps = {
        {"left shift",
         both(key(WM_KEYDOWN, VK_SHIFT, kScanLeftShift, false),
              key(WM_KEYUP, VK_SHIFT, kScanLeftShift, true)),
         [this] {
           FakeKey(XK_Shift_L, true);
           FakeKey(XK_Shift_L, false);
         }},
        {"right shift",
         both(key(WM_KEYDOWN, VK_SHIFT, kScanRightShift, false),
              key(WM_KEYUP, VK_SHIFT, kScanRightShift, true)),
         [this] {
           FakeKey(XK_Shift_R, true);
           FakeKey(XK_Shift_R, false);
         }},
    };
    if (!UnderWindowManager()) {
      steps.push_back({"Alt+F4",
                       both(key(WM_SYSKEYDOWN, VK_MENU, kScanAlt, false, true),
                            key(WM_SYSKEYDOWN, VK_F4, 0x3E, false, true),
                            key(WM_SYSKEYUP, VK_F4, 0x3E, true, true),
                            key(WM_SYSKEYUP, VK_MENU, kScanAlt, true)),
                       [this] {
                         FakeKey(XK_Alt_L, true);
                         FakeKey(XK_F4, true);
                         FakeKey(XK_F4, false);
                         FakeKey(XK_Alt_L, false);
                       }});
    }
    steps.push_back(
        {"close request",
         [](FakePlatform& fake, Handle w) { fake.QueueMessage(w, WM_SYSCOMMAND, SC_CLOSE, 0); },
         [this, &sdl_window] { SendDeleteWindow(sdl_window); }});
    steps.push_back({"wheel",
                     [](FakePlatform& fake, Handle w) {
                       Point at{kPointerX, kPointerY};
                       fake.ClientToScreen(w, at);
                       fake.QueueMessage(w, WM_MOUSEWHEEL, WheelWParam(WHEEL_DELTA),
                                         MakePointLParam(at.x, at.y));
                     },
                     [this] {
                       FakeButton(4, true);
                       FakeButton(4, false);
                     }});
    steps.push_back({"press",
                     [](FakePlatform& fake, Handle w) {
                       fake.QueueMessage(w, WM_LBUTTONDOWN, MK_LBUTTON,
                                         MakePointLParam(kPointerX, kPointerY));
                     },
                     [this] { FakeButton(1, true); }});
    steps.push_back({"drag out",
                     [](FakePlatform& fake, Handle w) {
                       fake.QueueMessage(w, WM_MOUSEMOVE, MK_LBUTTON,
                                         MakePointLParam(kOutsideX, kOutsideY));
                     },
                     [this, &sdl_window] {
                       int left = 0;
                       int top = 0;
                       ClientOrigin(sdl_window, left, top);
                       FakeMotion(left + kOutsideX, top + kOutsideY);
                     }});
    steps.push_back({"release",
                     [](FakePlatform& fake, Handle w) {
                       fake.QueueMessage(w, WM_LBUTTONUP, 0, MakePointLParam(kOutsideX, kOutsideY));
                     },
                     [this] { FakeButton(1, false); }});
    steps.push_back({"focus to another program",
                     [](FakePlatform& fake, Handle w) {
                       fake.QueueMessage(w, WM_ACTIVATE, WA_INACTIVE, 0);
                       fake.QueueMessage(w, WM_KILLFOCUS, 0, 0);
                     },
                     [this] { FocusAnotherProgram(); }});
    return steps;
  }

  // Maps a window of "another program" (our own Xlib connection) and gives
  // it the focus once it can take it.
  void FocusAnotherProgram() {
    other_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 50, 50, 0, 0, 0);
    XMapRaised(display_, other_);
    XSync(display_, False);
    XWindowAttributes attributes{};
    for (int i = 0; i < 200; ++i) {
      if (XGetWindowAttributes(display_, other_, &attributes) &&
          attributes.map_state == IsViewable) {
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    XSetInputFocus(display_, other_, RevertToParent, CurrentTime);
    XFlush(display_);
  }

  void TearDown() override {
    if (other_ != 0) XDestroyWindow(display_, other_);
    other_ = 0;
    current_ = nullptr;  // the test's recorder is gone; destroying the window calls the procedure
    SdlWindowTest::TearDown();
  }

  // The SDL window of the script, with recorder as its procedure.
  Handle OpenRecordedWindow(Recorder& recorder) {
    current_ = &recorder;
    static bool registered = false;
    if (!registered) {
      registered = platform_->RegisterClass(
          u"SameInputWindow", 0,
          [](Handle w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) -> std::intptr_t {
            received_.push_back(Msg{w, m, wp, lp});
            if (current_ == nullptr) return platform_->DefWindowProc(w, m, wp, lp);
            return current_->Procedure(w, m, wp, lp);
          });
    }
    Rect rect{kLeft, kTop, kLeft + kWidth, kTop + kHeight};
    platform_->AdjustWindowRectEx(rect, kCaptionStyle, false, 0);
    const Handle window =
        platform_->CreateWindowEx(0, u"SameInputWindow", u"same input", kCaptionStyle, rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top);
    if (window == 0) return 0;
    windows_.push_back(window);
    platform_->ShowWindow(window, SW_SHOW);
    return window;
  }

  static inline Recorder* current_ = nullptr;
  ::Window other_ = 0;
};

TEST_F(SameInput, FakeAndSdlHandTheProcedureTheSameMessagesInTheSameOrder) {
  // The script through the fake, noting how long the trace is after each step.
  Handle unused = 0;
  const std::vector<Step> steps = Script(unused);
  FakePlatform fake;
  Recorder on_fake;
  on_fake.platform = &fake;
  ASSERT_TRUE(
      fake.RegisterClass(u"SameInputWindow", 0,
                         [&on_fake](Handle w, std::uint32_t m, std::uintptr_t wp,
                                    std::intptr_t lp) { return on_fake.Procedure(w, m, wp, lp); }));
  Rect rect{kLeft, kTop, kLeft + kWidth, kTop + kHeight};
  fake.AdjustWindowRectEx(rect, kCaptionStyle, false, 0);
  const Handle fake_window =
      fake.CreateWindowEx(0, u"SameInputWindow", u"same input", kCaptionStyle, rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top);
  ASSERT_NE(fake_window, 0u);
  on_fake.recording = true;
  std::vector<std::size_t> after_step;
  for (const Step& step : steps) {
    step.on_fake(fake, fake_window);
    Msg msg;
    while (fake.PeekMessage(msg)) {
      fake.TranslateMessage(msg);
      fake.DispatchMessage(msg);
    }
    after_step.push_back(on_fake.trace.size());
  }

  // The same script as a user's input on the real window.
  Recorder on_sdl;
  on_sdl.platform = platform_;
  Handle window = OpenRecordedWindow(on_sdl);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(PointerTo(window, kPointerX, kPointerY));
  PumpUntil([] { return false; });  // activation, paint and the pointer's arrival
  const std::vector<Step> real_steps = Script(window);
  on_sdl.recording = true;
  for (std::size_t i = 0; i < real_steps.size(); ++i) {
    SCOPED_TRACE(real_steps[i].what);
    real_steps[i].on_x11();
    XSync(display_, False);
    // All of a step's input is in SDL's queue before the first look at it,
    // so what the default handling posts goes behind all of it, as on the fake.
    const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    while (std::chrono::steady_clock::now() < settle) SDL_PumpEvents();
    EXPECT_TRUE(PumpUntil([&] { return on_sdl.trace.size() >= after_step[i]; }));
  }
  const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
  PumpUntil([&] { return std::chrono::steady_clock::now() > settle; });

  EXPECT_EQ(on_sdl.trace, on_fake.trace);
  // The script reached the procedure whole on the fake: nothing was lost
  // before the comparison.
  EXPECT_EQ(on_fake.trace.back(), "WM_KILLFOCUS");
  // Both released the capture with the button.
  EXPECT_EQ(fake.Capture(), 0u);
  EXPECT_EQ(platform_->SetCapture(0), 0u);

  // Destroying the window is the last its procedure hears, on both.
  on_fake.trace.clear();
  on_sdl.trace.clear();
  EXPECT_TRUE(fake.DestroyWindow(fake_window));
  EXPECT_TRUE(platform_->DestroyWindow(window));
  EXPECT_EQ(on_fake.trace, std::vector<std::string>{"WM_DESTROY"});
  EXPECT_EQ(on_sdl.trace, on_fake.trace);
}

}  // namespace
}  // namespace platform::sdl
