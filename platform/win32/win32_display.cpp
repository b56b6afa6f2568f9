// Display modes of the primary display and the desktop's metrics on Win32.
#include "platform/win32/win32_state.h"

namespace platform::win32 {

bool Win32Platform::EnumDisplaySettings(std::uint32_t index, DisplayMode& out) {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  if (!::EnumDisplaySettingsW(nullptr, index, &mode)) return false;
  out.fields = mode.dmFields;
  out.bits_per_pixel = mode.dmBitsPerPel;
  out.width = mode.dmPelsWidth;
  out.height = mode.dmPelsHeight;
  out.frequency = mode.dmDisplayFrequency;
  return true;
}

long Win32Platform::ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) {
  LONG result = 0;
  if (mode == nullptr) {
    result = ::ChangeDisplaySettingsW(nullptr, flags);
  } else {
    DEVMODEW native{};
    native.dmSize = sizeof native;
    native.dmFields = mode->fields;
    native.dmBitsPerPel = mode->bits_per_pixel;
    native.dmPelsWidth = mode->width;
    native.dmPelsHeight = mode->height;
    native.dmDisplayFrequency = mode->frequency;
    result = ::ChangeDisplaySettingsW(&native, flags);
  }
  // A mode change is announced to every top-level window (WM_DISPLAYCHANGE)
  // before the call returns.
  RaisePendingError();
  return result;
}

int Win32Platform::GetDesktopDeviceCaps(int index) {
  const HDC desktop = ::GetDC(nullptr);
  if (desktop == nullptr) return 0;
  const int value = ::GetDeviceCaps(desktop, index);
  ::ReleaseDC(nullptr, desktop);
  return value;
}

}  // namespace platform::win32
