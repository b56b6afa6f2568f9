// Device contexts, pixel formats and WGL contexts on Win32.
#include "platform/win32/win32_state.h"

namespace platform::win32 {
namespace {

using SwapIntervalFunction = BOOL(WINAPI*)(int interval);

HDC ToHdc(Handle handle) { return reinterpret_cast<HDC>(handle); }
HGLRC ToHglrc(Handle handle) { return reinterpret_cast<HGLRC>(handle); }

PIXELFORMATDESCRIPTOR Descriptor(const PixelFormatRequest& request) {
  PIXELFORMATDESCRIPTOR descriptor{};
  descriptor.nSize = sizeof descriptor;
  descriptor.nVersion = request.version;
  descriptor.dwFlags = request.flags;
  descriptor.iPixelType = request.pixel_type;
  descriptor.cColorBits = request.color_bits;
  descriptor.cAlphaBits = request.alpha_bits;
  descriptor.cDepthBits = request.depth_bits;
  descriptor.cStencilBits = request.stencil_bits;
  descriptor.cAccumBits = request.accum_bits;
  descriptor.iLayerType = request.layer_type;
  return descriptor;
}

// The extension belongs to the current context's driver, so it is looked up
// again on every call. Some drivers answer a missing name with 1, 2, 3 or
// -1 instead of null.
SwapIntervalFunction SwapIntervalExtension() {
  const PROC found = ::wglGetProcAddress("wglSwapIntervalEXT");
  const auto address = reinterpret_cast<std::intptr_t>(found);
  if (address >= -1 && address <= 3) return nullptr;
  return reinterpret_cast<SwapIntervalFunction>(reinterpret_cast<void*>(found));
}

}  // namespace

Handle Win32Platform::GetDC(Handle window) {
  const HDC dc = ::GetDC(ToHwnd(window));
  if (dc == nullptr) KeepLastError(u"GetDC failed");
  return FromHandle(dc);
}

int Win32Platform::ChoosePixelFormat(Handle dc, const PixelFormatRequest& request) {
  const PIXELFORMATDESCRIPTOR descriptor = Descriptor(request);
  const int format = ::ChoosePixelFormat(ToHdc(dc), &descriptor);
  if (format == 0) KeepLastError(u"ChoosePixelFormat found no pixel format");
  return format;
}

bool Win32Platform::SetPixelFormat(Handle dc, int format, const PixelFormatRequest& request) {
  const PIXELFORMATDESCRIPTOR descriptor = Descriptor(request);
  if (::SetPixelFormat(ToHdc(dc), format, &descriptor)) return true;
  KeepLastError(u"SetPixelFormat failed");
  return false;
}

Handle Win32Platform::wglCreateContext(Handle dc) {
  const HGLRC context = ::wglCreateContext(ToHdc(dc));
  if (context == nullptr) KeepLastError(u"wglCreateContext failed");
  return FromHandle(context);
}

bool Win32Platform::wglDeleteContext(Handle context) {
  return ::wglDeleteContext(ToHglrc(context)) != FALSE;
}

bool Win32Platform::wglMakeCurrent(Handle dc, Handle context) {
  return ::wglMakeCurrent(ToHdc(dc), ToHglrc(context)) != FALSE;
}

bool Win32Platform::wglShareLists(Handle existing, Handle added) {
  return ::wglShareLists(ToHglrc(existing), ToHglrc(added)) != FALSE;
}

bool Win32Platform::HasSwapIntervalExtension() { return SwapIntervalExtension() != nullptr; }

bool Win32Platform::wglSwapIntervalEXT(int interval) {
  const SwapIntervalFunction extension = SwapIntervalExtension();
  return extension != nullptr && extension(interval) != FALSE;
}

bool Win32Platform::SwapBuffers(Handle dc) { return ::SwapBuffers(ToHdc(dc)) != FALSE; }

}  // namespace platform::win32
