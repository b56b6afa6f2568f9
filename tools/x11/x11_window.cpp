#include "tools/x11/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

namespace x11tools {
namespace {

std::string WindowName(Display* display, Window window) {
  const Atom net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string name;
  if (XGetWindowProperty(display, window, net_wm_name, 0, 1024, False, utf8, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr) {
    name.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
    return name;
  }
  char* plain = nullptr;
  if (XFetchName(display, window, &plain) && plain != nullptr) {
    name = plain;
    XFree(plain);
  }
  return name;
}

bool Viewable(Display* display, Window window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// The first window of the tree below window (window itself first, then
// depth first) that wanted accepts; 0 when none does.
Window FirstInTree(Display* display, Window window, const std::function<bool(Window)>& wanted) {
  if (wanted(window)) return window;
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    found = FirstInTree(display, children[i], wanted);
  }
  if (children != nullptr) XFree(children);
  return found;
}

}  // namespace

Window FindWindowByTitle(Display* display, const std::string& title, int timeout_ms) {
  // Windows come and go while the tree is walked (a window manager's frames,
  // another program's windows); asking about one that just went away is not
  // an error worth ending the process for, which is Xlib's default.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const Window found = FirstInTree(display, DefaultRootWindow(display), [&](Window window) {
      return WindowName(display, window) == title && Viewable(display, window);
    });
    if (found != 0) return found;
    if (std::chrono::steady_clock::now() >= deadline) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

Window ClientWindow(Display* display, Window window, int width, int height) {
  const Window client = FirstInTree(display, window, [&](Window candidate) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, candidate, &attributes) &&
           attributes.map_state == IsViewable && attributes.width == width &&
           attributes.height == height;
  });
  return client != 0 ? client : window;
}

bool ClientOrigin(Display* display, Window window, int& x, int& y) {
  Window child = 0;
  return XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child) !=
         0;
}

bool ClientSize(Display* display, Window window, int& width, int& height) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return false;
  width = attributes.width;
  height = attributes.height;
  return true;
}

bool GrabWindow(Display* display, Window window, Picture& out) {
  int width = 0, height = 0;
  if (!ClientSize(display, window, width, height)) return false;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  out.width = width;
  out.height = height;
  out.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      const auto r = static_cast<std::uint32_t>((p & image->red_mask) >> 16) & 0xFF;
      const auto g = static_cast<std::uint32_t>((p & image->green_mask) >> 8) & 0xFF;
      const auto b = static_cast<std::uint32_t>(p & image->blue_mask) & 0xFF;
      out.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                 static_cast<std::size_t>(x)] = (r << 16) | (g << 8) | b;
    }
  }
  XDestroyImage(image);
  return true;
}

namespace {

void PutBig32(std::vector<unsigned char>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(std::vector<unsigned char>& out, const char* type,
              const std::vector<unsigned char>& data) {
  PutBig32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
  PutBig32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

bool WritePng(const Picture& picture, const std::string& path) {
  // Raw rows, each preceded by filter type 0, then zlib-compressed.
  std::vector<unsigned char> raw;
  raw.reserve(static_cast<std::size_t>(picture.height) *
              (static_cast<std::size_t>(picture.width) * 3 + 1));
  for (int y = 0; y < picture.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t p = picture.At(x, y);
      raw.push_back(static_cast<unsigned char>(p >> 16));
      raw.push_back(static_cast<unsigned char>(p >> 8));
      raw.push_back(static_cast<unsigned char>(p));
    }
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<unsigned char> packed(packed_size);
  if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 9) !=
      Z_OK) {
    return false;
  }
  packed.resize(packed_size);

  std::vector<unsigned char> header;
  PutBig32(header, static_cast<std::uint32_t>(picture.width));
  PutBig32(header, static_cast<std::uint32_t>(picture.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter, no interlace

  std::vector<unsigned char> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", packed);
  PutChunk(file, "IEND", {});

  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!out) return false;
  return std::fwrite(file.data(), 1, file.size(), out.get()) == file.size();
}

void MovePointer(Display* display, int x, int y) {
  XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
  XFlush(display);
}

void PressButton(Display* display, unsigned button, bool down) {
  XTestFakeButtonEvent(display, button, down ? True : False, CurrentTime);
  XFlush(display);
}

bool PressKey(Display* display, KeySym key, bool down) {
  const KeyCode code = XKeysymToKeycode(display, key);
  if (code == 0) return false;
  XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
  XFlush(display);
  return true;
}

bool RequestClose(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
  XFlush(display);
  return sent;
}

}  // namespace x11tools
