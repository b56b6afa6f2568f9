// The native window-and-GL-context layer under the GL graphics driver: one
// record per GL context, the window class and its window procedure, pixel
// formats, binding, buffer swaps and full-screen display modes. Called by
// gfx/gl_graphics.cpp; everything goes through the platform seam.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/platform.h"
#include "support/text.h"

// Graphics flags, ORed together. Other bits are carried but ignored here.
inline constexpr int BackBufferFlag = 2;      // double buffered
inline constexpr int AlphaBufferFlag = 4;     // at least 1 alpha bit
inline constexpr int DepthBufferFlag = 8;     // at least 1 depth bit
inline constexpr int StencilBufferFlag = 16;  // at least 1 stencil bit
inline constexpr int AccumBufferFlag = 32;    // at least 1 accumulation bit

// Record modes.
inline constexpr int SharedMode = 0;
inline constexpr int AttachedMode = 1;
inline constexpr int WindowedMode = 2;
inline constexpr int FullScreenMode = 3;

// One native GL context with the window it draws into. Records are linked
// into contextList (newest first) while live; holders keep an unlinked one
// alive, so a stale holder never sees freed memory.
struct GLContextRecord {
  std::shared_ptr<GLContextRecord> next;
  int mode = SharedMode;
  int width = 0;  // client size, read back from the window
  int height = 0;
  int depth = 0;  // as requested (0 for attached and shared contexts)
  int hertz = 0;
  int flags = 0;
  platform::Handle deviceContext = 0;
  platform::Handle window = 0;
  platform::Handle glContext = 0;
};
using GLContextRecordPtr = std::shared_ptr<GLContextRecord>;

// One entry of ListDisplayModes.
struct GLDisplayMode {
  int width = 0;
  int height = 0;
  int depth = 0;  // bits per pixel
  int hertz = 0;
};

inline constexpr char16_t kGLWindowClassName[] = u"Quillon GLGraphics";

// The head of the live records, newest first (the shared record is not in it).
GLContextRecordPtr contextList();
GLContextRecordPtr currentContext();
GLContextRecordPtr sharedContext();
platform::Handle fullScreenWindow();

// Registers the window class once per process; ends the process with exit
// status -1 (255) when the platform refuses.
void RegisterGLWindowClass();
platform::PixelFormatRequest BuildPixelFormatRequest(int flags);
// Makes the hidden context every later context shares display lists and
// textures with (once). When that is impossible the process ends with status
// -1, a line on standard error naming the step that failed.
void ShareGLContexts();
// Display modes of the primary display with at least 16 bits per pixel, in
// the platform's order, as many as fit in buffer. Returns the count stored.
int ListDisplayModes(std::span<GLDisplayMode> buffer);
// A context on a window someone else owns; Null when the window has no
// device context or no pixel format suits it. The window is left alone.
GLContextRecordPtr AttachGLContext(platform::Handle window, int flags);
// A new window with its context: depth 0 gives a captioned window whose
// client area of width by height is centred on the desktop, any other depth
// a full-screen pop-up that switches the display mode when it gets the
// focus. Null when no window, pixel format or context could be had (nothing
// is left behind). A failed display-mode change raises
// "GLGraphicsDriver failed to set display mode" after cleaning up.
GLContextRecordPtr CreateGLContext(int width, int height, int depth, int hertz, int flags);
void GLContextSettings(const GLContextRecordPtr& record, int& width, int& height, int& depth,
                       int& hertz, int& flags);
// Binds record's context (none: unbinds). Binding the current one again
// makes no platform call.
void MakeGLContextCurrent(const GLContextRecordPtr& record);
// Unbinds record if current, deletes its context, destroys its own window
// and unlinks it. Records not in contextList are left alone.
void CloseGLContext(const GLContextRecordPtr& record);
// Presents the current context's back buffer: swap interval 1 for any sync
// other than 0, interval 0 for 0. Nothing without a current context.
void FlipGLContext(int sync);
// Asks for interval vertical retraces per swap when the platform has swap
// control. The platform is asked only when the interval differs from the
// last one asked for on the current context.
void SetSwapInterval(int interval);
// The window procedure of every GL window.
std::intptr_t GLWindowProcedure(platform::Handle window, std::uint32_t message,
                                std::uintptr_t wparam, std::intptr_t lparam);

namespace testing_only {
// Forgets every record, the class registration and the full-screen state
// without platform calls (the fake is replaced per test).
void ResetGLContextLayer();
}  // namespace testing_only
