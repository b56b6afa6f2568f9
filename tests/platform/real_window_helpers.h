// What the real-window tests of every platform share: the style of their
// test windows, and a GL context made current on a window through the seam.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform {

inline constexpr std::uint32_t kCaptionStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Gives window a pixel format with pfd_flags and makes a new GL context
// current on it. Returns the context, or 0 with none left behind.
inline Handle MakeCurrentGLContext(Platform& p, Handle window, std::uint32_t pfd_flags) {
  PixelFormatRequest request;
  request.flags = pfd_flags;
  request.color_bits = 1;
  const Handle dc = p.GetDC(window);
  const int format = p.ChoosePixelFormat(dc, request);
  if (format == 0 || !p.SetPixelFormat(dc, format, request)) return 0;
  const Handle context = p.wglCreateContext(dc);
  if (context == 0) return 0;
  if (!p.wglMakeCurrent(dc, context)) {
    p.wglDeleteContext(context);
    return 0;
  }
  return context;
}

}  // namespace platform
