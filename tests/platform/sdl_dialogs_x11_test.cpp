// The SDL2 platform's message boxes on a real X server: the buttons of the
// style and what pressing Return, Escape or the close box returns. A helper
// process plays the user with its own X connection (a process, because SDL
// forks to show the box, and a thread busy in Xlib at that moment would
// leave Xlib's lock held in SDL's child).
#include "tests/platform/sdl_x11_fixture.h"
// clang-format off
#include <X11/keysym.h>
// clang-format on

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "support/text.h"

namespace platform::sdl {
namespace {

using SdlMessageBox = SdlWindowTest;

bool Named(Display* display, ::Window window, const char* name) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  bool same = false;
  for (const char* property : {"_NET_WM_NAME", "WM_NAME"}) {
    if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 256, False,
                           AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
      same = same || std::string(reinterpret_cast<char*>(data), count) == name;
      XFree(data);
      data = nullptr;
    }
  }
  return same;
}

::Window FindByName(Display* display, ::Window under, const char* name) {
  if (Named(display, under, name)) return under;
  ::Window root = 0;
  ::Window parent = 0;
  ::Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, under, &root, &parent, &children, &count)) return 0;
  ::Window result = 0;
  for (unsigned i = 0; i < count && result == 0; ++i) {
    result = FindByName(display, children[i], name);
  }
  if (children != nullptr) XFree(children);
  return result;
}

// What the user does to the box once it is on the screen.
enum class Answer { kReturn, kEscape, kCloseBox };

// Waits (up to about 5 s) for the box titled caption to be mapped, then
// answers it; true when it did.
bool AnswerBox(const char* caption, Answer answer) {
  // Windows come and go while the tree is walked (a window manager's
  // frames, the box before): one gone between listing and asking is an X
  // error that Xlib's default handler would end this process on, leaving
  // the box unanswered. Such a window is simply not the box.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  bool answered = false;
  ::Window box = 0;
  for (int i = 0; i < 500; ++i) {
    box = FindByName(display, DefaultRootWindow(display), caption);
    XWindowAttributes attributes{};
    if (box != 0 && XGetWindowAttributes(display, box, &attributes) &&
        attributes.map_state == IsViewable) {
      break;
    }
    box = 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (box != 0) {
    XEvent event{};
    if (answer == Answer::kCloseBox) {
      event.xclient.type = ClientMessage;
      event.xclient.window = box;
      event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
      event.xclient.format = 32;
      event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
      XSendEvent(display, box, False, NoEventMask, &event);
    } else {
      const KeySym sym = answer == Answer::kReturn ? XK_Return : XK_Escape;
      for (int type : {KeyPress, KeyRelease}) {
        event = XEvent{};
        event.xkey.type = type;
        event.xkey.display = display;
        event.xkey.window = box;
        event.xkey.root = DefaultRootWindow(display);
        event.xkey.keycode = XKeysymToKeycode(display, sym);
        event.xkey.same_screen = True;
        XSendEvent(display, box, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
      }
    }
    XFlush(display);
    answered = true;
  }
  XCloseDisplay(display);
  return answered;
}

int ShowAndAnswer(std::uint32_t style, Answer answer, Handle owner = 0) {
  static int serial = 0;
  const std::string caption = "Box " + std::to_string(++serial);
  const pid_t user = fork();
  if (user == 0) _exit(AnswerBox(caption.c_str(), answer) ? 0 : 1);
  std::u16string caption16(caption.begin(), caption.end());
  const int result = Current().MessageBox(owner, u"Proceed? \u00e9", caption16, style);
  int status = -1;
  waitpid(user, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the box never appeared: " << ToUtf8(Current().LastErrorText());
  return result;
}

TEST_F(SdlMessageBox, ButtonsAnswerWithTheirIds) {
  const Handle owner = OpenWindow(u"owner", 100, 100, 100, 100);
  ASSERT_NE(owner, 0u);
  EXPECT_EQ(ShowAndAnswer(MB_OK | MB_ICONINFORMATION | MB_TOPMOST, Answer::kReturn, owner), IDOK);
  EXPECT_EQ(ShowAndAnswer(MB_OKCANCEL | MB_ICONWARNING, Answer::kReturn, owner), IDOK);
  EXPECT_EQ(ShowAndAnswer(MB_OKCANCEL | MB_ICONWARNING, Answer::kEscape), IDCANCEL);
  EXPECT_EQ(ShowAndAnswer(MB_YESNOCANCEL, Answer::kReturn), IDYES);
  EXPECT_EQ(ShowAndAnswer(MB_YESNOCANCEL, Answer::kEscape), IDCANCEL);
}

TEST_F(SdlMessageBox, ClosingTheBoxCancelsOrConfirmsAlone) {
  EXPECT_EQ(ShowAndAnswer(MB_YESNOCANCEL, Answer::kCloseBox), IDCANCEL);
  EXPECT_EQ(ShowAndAnswer(MB_OKCANCEL, Answer::kCloseBox), IDCANCEL);
  EXPECT_EQ(ShowAndAnswer(MB_OK, Answer::kCloseBox), IDOK);
  EXPECT_EQ(ShowAndAnswer(MB_OK, Answer::kEscape), IDOK);
}

}  // namespace
}  // namespace platform::sdl
