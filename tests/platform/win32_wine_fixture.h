// Shared set-up of the Win32 platform's real-window tests, run under Wine on
// an X server: the installed platform, a window class whose procedure
// records every message (and raises on a chosen one), windows with GL
// contexts, and the probe (a Linux program started as a child, which Wine
// allows) that looks at the X server and drives it from outside with XTest.
#pragma once

#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
// clang-format on

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "support/error.h"
#include "tests/platform/real_window_helpers.h"
// The tests call the seam's operations by their names (PeekMessage, ...),
// which <windows.h> defines as macros: those stay off here.
#include "platform/windows_macros_push.h"

namespace platform::win32 {

struct Received {
  Handle window = 0;
  std::uint32_t message = 0;
  std::uintptr_t wparam = 0;
  std::intptr_t lparam = 0;
};

class Win32WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform_ = &InstallWin32Platform();
    static bool registered = false;
    if (!registered) {
      registered = platform_->RegisterClass(
          u"Win32TestWindow", platform::CS_HREDRAW | platform::CS_VREDRAW | platform::CS_OWNDC,
          &Win32WindowTest::Procedure);
    }
    ASSERT_TRUE(registered) << ToUtf8(platform_->LastErrorText());
  }

  void SetUp() override {
    received_.clear();
    raise_on_ = 0;
  }

  void TearDown() override {
    raise_on_ = 0;
    platform_->wglMakeCurrent(0, 0);
    for (Handle context : contexts_) platform_->wglDeleteContext(context);
    for (Handle window : windows_) {
      if (::IsWindow(reinterpret_cast<HWND>(window))) platform_->DestroyWindow(window);
    }
    contexts_.clear();
    windows_.clear();
    Pump();
  }

  // The procedure of every test window: records, raises on raise_on_, and
  // leaves everything else to the default handling.
  static std::intptr_t Procedure(Handle window, std::uint32_t message, std::uintptr_t wparam,
                                 std::intptr_t lparam) {
    received_.push_back(Received{window, message, wparam, lparam});
    if (raise_on_ != 0 && message == raise_on_) {
      throw RuntimeError(u"raised in the window procedure");
    }
    if (message == platform::WM_CLOSE) return 0;  // closing is the test's business
    return platform_->DefWindowProc(window, message, wparam, lparam);
  }

  // A captioned window whose client area of width by height lies at (x, y),
  // not shown yet.
  Handle CreateTestWindow(const std::u16string& title, int x, int y, int width, int height) {
    Rect rect{x, y, x + width, y + height};
    platform_->AdjustWindowRectEx(rect, kCaptionStyle, false, 0);
    const Handle window =
        platform_->CreateWindowEx(0, u"Win32TestWindow", title, kCaptionStyle, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top);
    if (window != 0) windows_.push_back(window);
    return window;
  }

  // As CreateTestWindow, with a double-buffered GL context made current,
  // shown and drawn once.
  Handle OpenGLWindow(const std::u16string& title, int x, int y, int width, int height) {
    const Handle window = CreateTestWindow(title, x, y, width, height);
    if (window == 0) return 0;
    const Handle context = MakeCurrentGLContext(
        *platform_, window, kPfdDoubleBuffer | kPfdDrawToWindow | kPfdSupportOpenGL);
    if (context == 0) return 0;
    contexts_.push_back(context);
    platform_->ShowWindow(window, platform::SW_SHOW);
    return window;
  }

  // Pumps as the system driver does: every pending message, translated and
  // dispatched.
  static void Pump() {
    Msg msg;
    while (platform_->PeekMessage(msg)) {
      platform_->TranslateMessage(msg);
      platform_->DispatchMessage(msg);
    }
  }

  // Pumps until a message matching want has been received, or 5 s pass.
  static bool PumpUntil(const std::function<bool(const Received&)>& want) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::size_t seen = 0;
    while (std::chrono::steady_clock::now() < deadline) {
      Pump();
      for (; seen < received_.size(); ++seen) {
        if (want(received_[seen])) return true;
      }
      ::Sleep(5);
    }
    return false;
  }

  static bool PumpUntilMessage(std::uint32_t message) {
    return PumpUntil([&](const Received& r) { return r.message == message; });
  }

  // Gives the window the keyboard as a person would, with a click at client
  // (x, y) of a window whose client area lies at screen (left, top).
  static bool ClickToActivate(int left, int top, int x, int y) {
    Probe("move " + std::to_string(left + x) + " " + std::to_string(top + y));
    Probe("button 1 down");
    Probe("button 1 up");
    return PumpUntilMessage(platform::WM_LBUTTONUP);
  }

  // Runs the probe with args and returns its one-line answer ("" when it
  // could not be run). Wine may report a Linux child ended before it has, so
  // the answer is awaited as the file the probe renames into place.
  static std::string Probe(const std::string& args) {
    const char* probe = std::getenv("VUBLE_X11_PROBE");
    if (probe == nullptr) return "";
    const std::string out = "/tmp/vuble-x11-probe-" + std::to_string(::GetCurrentProcessId());
    const std::string windows_out = "Z:" + out;
    ::DeleteFileA(windows_out.c_str());
    std::string command = "\"" + std::string(probe) + "\" " + out + " " + args;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
      return "";
    }
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    std::string line;
    for (int waited = 0; waited < 10000 && line.empty(); waited += 5) {
      std::ifstream answer(windows_out);
      if (!std::getline(answer, line)) ::Sleep(5);
    }
    ::DeleteFileA(windows_out.c_str());
    return line;
  }

  static inline Win32Platform* platform_ = nullptr;
  static inline std::vector<Received> received_;
  static inline std::uint32_t raise_on_ = 0;
  std::vector<Handle> windows_;
  std::vector<Handle> contexts_;
};

}  // namespace platform::win32
