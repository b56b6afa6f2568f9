// The window bookkeeping Win32 keeps for a thread, for the platforms that
// emulate it (FakePlatform and the SDL2 platform): window classes with
// their procedures, window handles, dispatch to a window's procedure, the
// key-state flags in message order, the capture, active and focus windows,
// and DefWindowProc's default handling. Both keep one registry, so a test
// that passes on the fake behaves the same on the real platform. A Win32
// platform has the system do all of this and needs none of it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/platform.h"
#include "platform/windows_macros_push.h"

namespace platform {

class WindowRegistry {
 public:
  // post_last queues a message at the back of the thread's message queue
  // (for what DefWindowProc posts).
  explicit WindowRegistry(std::function<void(const Msg&)> post_last);

  // --- Classes ---------------------------------------------------------------

  // Registers a class; false when the name is taken, as RegisterClassEx.
  bool RegisterClass(const std::u16string& name, WindowProcedure procedure);
  bool IsClassRegistered(const std::u16string& name) const;

  // --- Windows ---------------------------------------------------------------

  // A new window of class_name (which need not be registered: a window of
  // another program has no procedure here). Handles count up from 0x100 in
  // creation order and are never reused.
  Handle AddWindow(const std::u16string& class_name);
  bool HasWindow(Handle window) const;
  // Forgets the window; the capture, activation and focus it held go to
  // none, as when Win32 destroys a window.
  void RemoveWindow(Handle window);

  // Calls the procedure of the window's class from our own code and returns
  // its result; 0 for a window without one. The procedure is copied before
  // the call, so it may register classes, unregister its own or destroy
  // windows while it runs.
  std::intptr_t CallWindowProcedure(Handle window, std::uint32_t message, std::uintptr_t wparam,
                                    std::intptr_t lparam);

  // DefWindowProc for our windows, as Win32 handles these messages:
  // Alt+F4 (WM_SYSKEYDOWN with VK_F4) posts WM_SYSCOMMAND with SC_CLOSE to
  // the window, at the back of the queue; WM_SYSCOMMAND with SC_CLOSE sends
  // WM_CLOSE to the window's procedure at once. Nothing else is done, and a
  // window is never destroyed here. Returns 0.
  std::intptr_t DefWindowProc(Handle window, std::uint32_t message, std::uintptr_t wparam,
                              std::intptr_t lparam);

  // --- Key state -------------------------------------------------------------

  // Follows a message as it is retrieved, as Win32's key state does: key
  // messages set and clear their key, shift, control and alt also their
  // side's code (told by the scan code) with the generic code held while
  // either side is; button messages set and clear VK_LBUTTON, VK_RBUTTON
  // and VK_MBUTTON. Down states only, no toggle bits.
  void TrackKeyState(const Msg& msg);
  void SetKeyDown(int virtual_key, bool down);  // outside 0..255: nothing
  bool IsKeyDown(int virtual_key) const;        // outside 0..255: false
  // Negative while the key is down, as GetKeyState.
  std::int16_t GetKeyState(int virtual_key) const;

  // --- Capture, activation, focus --------------------------------------------

  Handle Capture() const { return capture_; }
  void SetCapture(Handle window) { capture_ = window; }
  Handle Active() const { return active_; }
  void SetActive(Handle window) { active_ = window; }
  Handle Focus() const { return focus_; }
  void SetFocus(Handle window) { focus_ = window; }

 private:
  std::function<void(const Msg&)> post_last_;
  std::map<std::u16string, WindowProcedure> classes_;  // by class name
  std::map<Handle, std::u16string> windows_;           // the class of each live window
  Handle next_window_ = 0x100;
  std::array<bool, 256> keys_{};
  Handle capture_ = 0;
  Handle active_ = 0;
  Handle focus_ = 0;
};

}  // namespace platform

#include "platform/windows_macros_pop.h"
