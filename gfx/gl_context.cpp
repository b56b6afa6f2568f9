#include "gfx/gl_context.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "gfx/graphics.h"
#include "support/error.h"
#include "system/message_translation.h"
#include "system/module_resets.h"
#include "system/startup.h"

namespace {

using platform::Handle;

struct NativeLayer {
  GLContextRecordPtr contextList;
  GLContextRecordPtr currentContext;
  GLContextRecordPtr sharedContext;
  Handle fullScreenWindow = 0;
  bool classRegistered = false;
  // The interval last asked of the platform for the current context; empty
  // when the context changed since (a new context starts unknown).
  std::optional<int> requestedSwapInterval;
};

// Never destroyed: graphics are closed by an exit handler, which runs after
// the destructors of statics made later than its registration.
NativeLayer& Layer() {
  static auto* layer = new NativeLayer();
  return *layer;
}

const testing_only::ModuleReset kReset(testing_only::ModuleRank::kGLContext,
                                       testing_only::ResetGLContextLayer);

constexpr std::uint32_t kWindowedStyle =
    platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_MINIMIZEBOX;
constexpr std::uint32_t kClassStyle =
    platform::CS_HREDRAW | platform::CS_VREDRAW | platform::CS_OWNDC;

bool FitsInt32(std::int64_t value) {
  return value >= std::numeric_limits<std::int32_t>::min() &&
         value <= std::numeric_limits<std::int32_t>::max();
}

// Display-mode fields are unsigned; a negative request asks for nothing.
std::uint32_t ModeField(int value) { return value > 0 ? static_cast<std::uint32_t>(value) : 0u; }

int IntFromModeField(std::uint32_t value) {
  return value > static_cast<std::uint32_t>(std::numeric_limits<int>::max())
             ? std::numeric_limits<int>::max()
             : static_cast<int>(value);
}

void PushRecord(const GLContextRecordPtr& record) {
  NativeLayer& layer = Layer();
  record->next = layer.contextList;
  layer.contextList = record;
}

// Unlinks record; true when it was in the list.
bool UnlinkRecord(const GLContextRecordPtr& record) {
  NativeLayer& layer = Layer();
  if (!record) return false;
  if (layer.contextList == record) {
    layer.contextList = record->next;
    record->next = nullptr;
    return true;
  }
  for (GLContextRecord* node = layer.contextList.get(); node != nullptr; node = node->next.get()) {
    if (node->next == record) {
      node->next = record->next;
      record->next = nullptr;
      return true;
    }
  }
  return false;
}

bool IsLinked(const GLContextRecordPtr& record) {
  for (GLContextRecordPtr node = Layer().contextList; node; node = node->next) {
    if (node == record) return true;
  }
  return false;
}

GLContextRecordPtr FindRecordOfWindow(Handle window) {
  for (GLContextRecordPtr node = Layer().contextList; node; node = node->next) {
    if (node->window == window) return node;
  }
  return nullptr;
}

// Gives device context dc the pixel format for flags; false when the
// platform has none that suits.
bool ApplyPixelFormat(Handle dc, int flags) {
  platform::Platform& p = platform::Current();
  const platform::PixelFormatRequest request = BuildPixelFormatRequest(flags);
  const int format = p.ChoosePixelFormat(dc, request);
  if (format == 0) return false;
  return p.SetPixelFormat(dc, format, request);
}

// A new GL context on dc, sharing with the shared context when there is one.
Handle NewSharingContext(Handle dc) {
  platform::Platform& p = platform::Current();
  const Handle context = p.wglCreateContext(dc);
  if (context != 0 && Layer().sharedContext) {
    p.wglShareLists(Layer().sharedContext->glContext, context);
  }
  return context;
}

// Why a step failed, followed by the platform's words where it has some.
Text FailureReason(const char16_t* what) {
  Text reason = what;
  const Text detail = platform::Current().LastErrorText();
  if (!detail.empty()) reason += u": " + detail;
  return reason;
}

// Keeps why creation failed for LastGraphicsError.
void NoteFailure(const char16_t* what) { SetLastGraphicsError(FailureReason(what)); }

// The shared context cannot be done without: the process ends with the
// status of an unhandled error, saying on standard error what failed.
[[noreturn]] void SharedContextFailed(const char16_t* what) {
  EndWithFatalError(u"GLGraphicsDriver failed to make its shared GL context: " +
                    FailureReason(what));
}

// Back to the desktop mode when window holds the full-screen mode.
void LeaveFullScreen(Handle window, bool minimise) {
  NativeLayer& layer = Layer();
  if (window == 0 || window != layer.fullScreenWindow) return;
  platform::Platform& p = platform::Current();
  p.ChangeDisplaySettings(nullptr, platform::kCdsFullScreen);
  if (minimise) p.ShowWindow(window, platform::SW_MINIMIZE);
  SetSwapInterval(0);
  layer.fullScreenWindow = 0;
}

// Switches the display to record's size and depth (and refresh rate when
// one was asked for, retrying without it). Raises when neither works.
void ChangeDisplayMode(const GLContextRecord& record) {
  platform::Platform& p = platform::Current();
  platform::DisplayMode mode;
  mode.width = ModeField(record.width);
  mode.height = ModeField(record.height);
  mode.bits_per_pixel = ModeField(record.depth);
  mode.fields = platform::kDmBitsPerPel | platform::kDmPelsWidth | platform::kDmPelsHeight;
  int sync = 0;
  if (record.hertz != 0) {
    mode.fields |= platform::kDmDisplayFrequency;
    mode.frequency = ModeField(record.hertz);
    sync = 1;
  }
  bool changed =
      p.ChangeDisplaySettings(&mode, platform::kCdsFullScreen) == platform::kDispChangeSuccessful;
  if (!changed && (mode.fields & platform::kDmDisplayFrequency) != 0) {
    mode.fields &= ~platform::kDmDisplayFrequency;
    mode.frequency = 0;
    changed =
        p.ChangeDisplaySettings(&mode, platform::kCdsFullScreen) == platform::kDispChangeSuccessful;
    sync = 0;
  }
  if (!changed) throw RuntimeError(u"GLGraphicsDriver failed to set display mode");
  Layer().fullScreenWindow = record.window;
  SetSwapInterval(sync);
}

// Reads the record's width and height from its window's client rectangle;
// leaves them as they were when the platform cannot tell.
void ReadClientSize(GLContextRecord& record) {
  platform::Rect client;
  if (platform::Current().GetClientRect(record.window, client)) {
    record.width = client.right - client.left;
    record.height = client.bottom - client.top;
  }
}

}  // namespace

GLContextRecordPtr contextList() { return Layer().contextList; }
GLContextRecordPtr currentContext() { return Layer().currentContext; }
GLContextRecordPtr sharedContext() { return Layer().sharedContext; }
platform::Handle fullScreenWindow() { return Layer().fullScreenWindow; }

void RegisterGLWindowClass() {
  NativeLayer& layer = Layer();
  if (layer.classRegistered) return;
  if (!platform::Current().RegisterClass(kGLWindowClassName, kClassStyle, GLWindowProcedure)) {
    EndWithFatalError(u"GLGraphicsDriver failed to register its window class");
  }
  layer.classRegistered = true;
}

platform::PixelFormatRequest BuildPixelFormatRequest(int flags) {
  platform::PixelFormatRequest request;
  request.version = 1;
  request.flags = platform::kPfdDrawToWindow | platform::kPfdSupportOpenGL;
  if (flags & BackBufferFlag) request.flags |= platform::kPfdDoubleBuffer;
  request.pixel_type = platform::kPfdTypeRgba;
  request.layer_type = platform::kPfdMainPlane;
  request.color_bits = 1;
  request.alpha_bits = (flags & AlphaBufferFlag) ? 1 : 0;
  request.depth_bits = (flags & DepthBufferFlag) ? 1 : 0;
  request.stencil_bits = (flags & StencilBufferFlag) ? 1 : 0;
  request.accum_bits = (flags & AccumBufferFlag) ? 1 : 0;
  return request;
}

void ShareGLContexts() {
  NativeLayer& layer = Layer();
  if (layer.sharedContext) return;
  RegisterGLWindowClass();
  platform::Platform& p = platform::Current();
  auto record = std::make_shared<GLContextRecord>();
  record->mode = SharedMode;
  record->width = 1;
  record->height = 1;
  record->window = p.CreateWindowEx(0, kGLWindowClassName, u"", platform::WS_POPUP, 0, 0, 1, 1);
  if (record->window == 0) SharedContextFailed(u"The window could not be created");
  record->deviceContext = p.GetDC(record->window);
  if (record->deviceContext == 0) SharedContextFailed(u"The window has no device context");
  if (!ApplyPixelFormat(record->deviceContext, 0)) {
    SharedContextFailed(u"No pixel format suits the window");
  }
  record->glContext = p.wglCreateContext(record->deviceContext);
  if (record->glContext == 0) SharedContextFailed(u"The GL context could not be created");
  layer.sharedContext = record;
}

int ListDisplayModes(std::span<GLDisplayMode> buffer) {
  platform::Platform& p = platform::Current();
  std::size_t stored = 0;
  platform::DisplayMode mode;
  // Wide index: the platform numbers modes with 32 bits, and the walk must
  // end even if it never says there are no more.
  for (std::uint64_t index = 0;
       index <= std::numeric_limits<std::uint32_t>::max() && stored < buffer.size() &&
       p.EnumDisplaySettings(static_cast<std::uint32_t>(index), mode);
       ++index) {
    if (mode.bits_per_pixel < 16) continue;
    buffer[stored++] =
        GLDisplayMode{IntFromModeField(mode.width), IntFromModeField(mode.height),
                      IntFromModeField(mode.bits_per_pixel), IntFromModeField(mode.frequency)};
  }
  return static_cast<int>(stored);
}

GLContextRecordPtr AttachGLContext(platform::Handle window, int flags) {
  RegisterGLWindowClass();
  platform::Platform& p = platform::Current();
  const Handle dc = p.GetDC(window);
  if (dc == 0) {
    NoteFailure(u"The window has no device context");
    return nullptr;
  }
  if (!ApplyPixelFormat(dc, flags)) {
    NoteFailure(u"No pixel format suits the window");
    return nullptr;
  }
  const Handle context = NewSharingContext(dc);
  if (context == 0) {
    NoteFailure(u"The GL context could not be created");
    return nullptr;
  }
  auto record = std::make_shared<GLContextRecord>();
  record->mode = AttachedMode;
  record->flags = flags;
  record->deviceContext = dc;
  record->window = window;
  ReadClientSize(*record);
  record->glContext = context;
  PushRecord(record);
  return record;
}

GLContextRecordPtr CreateGLContext(int width, int height, int depth, int hertz, int flags) {
  RegisterGLWindowClass();
  platform::Platform& p = platform::Current();

  // Rectangle arithmetic is done wide: sizes come from the caller and the
  // platform takes 32-bit coordinates.
  std::int64_t left = 0, top = 0;
  std::int64_t right = width, bottom = height;
  int mode = FullScreenMode;
  std::uint32_t style = platform::WS_POPUP;
  if (depth == 0) {
    mode = WindowedMode;
    style = kWindowedStyle;
    platform::Rect desktop;
    p.GetDesktopRect(desktop);
    left = desktop.right / 2 - width / 2;
    top = desktop.bottom / 2 - height / 2;
    right = left + width;
    bottom = top + height;
  }
  if (!FitsInt32(left) || !FitsInt32(top) || !FitsInt32(right) || !FitsInt32(bottom)) {
    NoteFailure(u"The window size is out of range");
    return nullptr;
  }
  platform::Rect rect{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                      static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom)};
  p.AdjustWindowRectEx(rect, style, false, 0);
  const std::int64_t outerWidth = std::int64_t{rect.right} - rect.left;
  const std::int64_t outerHeight = std::int64_t{rect.bottom} - rect.top;
  if (!FitsInt32(outerWidth) || !FitsInt32(outerHeight)) {
    NoteFailure(u"The window size is out of range");
    return nullptr;
  }

  const Handle window = p.CreateWindowEx(0, kGLWindowClassName, ApplicationTitle, style, rect.left,
                                         rect.top, static_cast<std::int32_t>(outerWidth),
                                         static_cast<std::int32_t>(outerHeight));
  if (window == 0) {
    NoteFailure(u"The window could not be created");
    return nullptr;
  }

  auto record = std::make_shared<GLContextRecord>();
  record->mode = mode;
  record->depth = depth;
  record->hertz = hertz;
  record->flags = flags;
  record->window = window;
  ReadClientSize(*record);

  record->deviceContext = p.GetDC(window);
  if (record->deviceContext == 0 || !ApplyPixelFormat(record->deviceContext, flags)) {
    NoteFailure(u"No pixel format suits the window");
    p.DestroyWindow(window);
    return nullptr;
  }
  // A window without a GL context is of no use to anyone: creation fails
  // and the window goes.
  record->glContext = NewSharingContext(record->deviceContext);
  if (record->glContext == 0) {
    NoteFailure(u"The GL context could not be created");
    p.DestroyWindow(window);
    return nullptr;
  }
  PushRecord(record);

  try {
    // Showing activates the window; a full-screen window changes the
    // display mode when it gets the focus. Where the platform delivers the
    // focus later, the change is made here, so it has happened (or failed)
    // by the time creation returns on every platform.
    p.ShowWindow(window, platform::SW_SHOW);
    if (mode == FullScreenMode && Layer().fullScreenWindow != window) ChangeDisplayMode(*record);
  } catch (...) {
    // Nothing is left behind: no window, no context, no display mode.
    CloseGLContext(record);
    throw;
  }
  return record;
}

void GLContextSettings(const GLContextRecordPtr& record, int& width, int& height, int& depth,
                       int& hertz, int& flags) {
  width = height = depth = hertz = flags = 0;
  if (!record) return;
  if (record->mode == AttachedMode) {
    ReadClientSize(*record);  // the owner may have resized its window since
  }
  width = record->width;
  height = record->height;
  depth = record->depth;
  hertz = record->hertz;
  flags = record->flags;
}

void MakeGLContextCurrent(const GLContextRecordPtr& record) {
  NativeLayer& layer = Layer();
  if (record == layer.currentContext) return;
  layer.currentContext = record;
  layer.requestedSwapInterval.reset();
  if (record) {
    platform::Current().wglMakeCurrent(record->deviceContext, record->glContext);
  } else {
    platform::Current().wglMakeCurrent(0, 0);
  }
}

void CloseGLContext(const GLContextRecordPtr& record) {
  if (!record || !IsLinked(record)) return;
  platform::Platform& p = platform::Current();
  if (record == Layer().currentContext) MakeGLContextCurrent(nullptr);
  p.wglDeleteContext(record->glContext);
  if (record->mode == WindowedMode || record->mode == FullScreenMode) {
    p.DestroyWindow(record->window);
    // The destroy message gives the desktop mode back; where the platform
    // does not deliver it on the spot, it is given back here.
    LeaveFullScreen(record->window, false);
  }
  UnlinkRecord(record);
}

void FlipGLContext(int sync) {
  const GLContextRecordPtr current = Layer().currentContext;
  if (!current) return;
  SetSwapInterval(sync != 0 ? 1 : 0);
  platform::Current().SwapBuffers(current->deviceContext);
}

void SetSwapInterval(int interval) {
  NativeLayer& layer = Layer();
  // Each request is a round trip to the display server: repeat none. A
  // request the platform refused counts as made, so it is not retried
  // every frame; without swap control the interval in force stays.
  if (layer.requestedSwapInterval == interval) return;
  layer.requestedSwapInterval = interval;
  platform::Platform& p = platform::Current();
  if (p.HasSwapIntervalExtension()) p.wglSwapIntervalEXT(interval);
}

std::intptr_t GLWindowProcedure(platform::Handle window, std::uint32_t message,
                                std::uintptr_t wparam, std::intptr_t lparam) {
  platform::Platform& p = platform::Current();
  // Messages of windows without a record (one being created, or someone
  // else's) get default processing only.
  const GLContextRecordPtr record = FindRecordOfWindow(window);
  if (!record) return p.DefWindowProc(window, message, wparam, lparam);

  TranslateWindowMessage(window, message, wparam, lparam, nullptr);

  switch (message) {
    case platform::WM_PAINT: p.ValidateRect(window); return 0;
    case platform::WM_CLOSE:
      // The close request became an event above; the window stays until
      // the graphics are ended.
      return 0;
    case platform::WM_SYSKEYDOWN:
      // Alt+F4 goes on to become a close request; other system keys would
      // open the window menu and are swallowed.
      if (wparam == static_cast<std::uintptr_t>(platform::VK_F4)) {
        return p.DefWindowProc(window, message, wparam, lparam);
      }
      return 0;
    case platform::WM_SYSCOMMAND:
      if (wparam == platform::SC_SCREENSAVE || wparam == platform::SC_MONITORPOWER) return 1;
      return p.DefWindowProc(window, message, wparam, lparam);
    case platform::WM_SETFOCUS:
      if (record->mode == FullScreenMode && window != Layer().fullScreenWindow) {
        ChangeDisplayMode(*record);
      }
      return 0;
    case platform::WM_KILLFOCUS:
    case platform::WM_DESTROY: LeaveFullScreen(window, true); return 0;
    default: return p.DefWindowProc(window, message, wparam, lparam);
  }
}

namespace testing_only {
void ResetGLContextLayer() { Layer() = NativeLayer{}; }
}  // namespace testing_only
