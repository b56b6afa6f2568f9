// The SDL2 platform's message boxes.
#include "platform/linux/linux_process.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_state.h"
#include "support/text.h"

namespace platform::sdl {

int SdlPlatform::MessageBox(Handle owner, const std::u16string& text, const std::u16string& caption,
                            std::uint32_t style) {
  // SDL shows message boxes without its video subsystem running, and fails
  // at once where there is no display.
  const std::string text8 = ToUtf8(text);
  const std::string caption8 = ToUtf8(caption);
  SDL_MessageBoxData box{};
  box.flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  if ((style & 0xF0) == MB_ICONWARNING) {
    box.flags |= SDL_MESSAGEBOX_WARNING;
  } else if ((style & 0xF0) == MB_ICONINFORMATION) {
    box.flags |= SDL_MESSAGEBOX_INFORMATION;
  }
  SdlWindow* w = FindWindow(*state_, owner);
  box.window = w != nullptr ? w->sdl : nullptr;
  box.title = caption8.c_str();
  box.message = text8.c_str();
  constexpr Uint32 kReturn = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
  constexpr Uint32 kEscape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  const SDL_MessageBoxButtonData ok_only[] = {{kReturn | kEscape, IDOK, "OK"}};
  const SDL_MessageBoxButtonData ok_cancel[] = {{kReturn, IDOK, "OK"},
                                                {kEscape, IDCANCEL, "Cancel"}};
  const SDL_MessageBoxButtonData yes_no_cancel[] = {
      {kReturn, IDYES, "Yes"}, {0, IDNO, "No"}, {kEscape, IDCANCEL, "Cancel"}};
  int dismissed = IDOK;  // the result when the box is closed without a button
  switch (style & 0xF) {
    case MB_OKCANCEL:
      box.buttons = ok_cancel;
      box.numbuttons = 2;
      dismissed = IDCANCEL;
      break;
    case MB_YESNOCANCEL:
      box.buttons = yes_no_cancel;
      box.numbuttons = 3;
      dismissed = IDCANCEL;
      break;
    default:
      box.buttons = ok_only;
      box.numbuttons = 1;
      break;
  }
  int pressed = -1;
  int shown = -1;
  {
    // SDL 2 draws an X11 box in a process it forks. That process must end
    // with ours: the fatal report's watchdog may end the program while the
    // box still waits for an answer.
    linux_process::ForkedChildrenEndWithProcess box_process;
    shown = SDL_ShowMessageBox(&box, &pressed);
  }
  if (shown != 0) {
    KeepSdlError(*state_, "The message box could not be shown: ");
    return 0;
  }
  return pressed < 0 ? dismissed : pressed;
}

}  // namespace platform::sdl
