// The soak driver run by tools/soak.sh: drives a running Vuble Toy with
// random XTest input (moves, three buttons, wheel, keys, focus changes) for
// a given time, samples its resident memory (in total and by kind of
// mapping), processor use and how often its window's picture changes, then
// asks it to close. Prints one line per sample and a verdict; exits 0 when
// the memory and frame criteria hold.
//
// The frame rate is taken from the toy's own statistics lines when it writes
// them ("vuble-toy: 300 frames in 5000 ms", to the file given as STATS);
// otherwise from how often the picture changes, which can only show 60
// frames per second when the window can be grabbed faster than that.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/x11/x11_window.h"

namespace {

using Clock = std::chrono::steady_clock;

long ReadRssKiB(int pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// The resident memory of the process's mappings by kind, in KiB: the heap
// (grown with brk), other anonymous memory (blocks the allocator mapped on
// their own, other threads' arenas, stacks, driver buffers) and memory backed
// by files (code, fonts, shared memory). Tells what grew when the total did.
struct RssParts {
  long heap = 0, anon = 0, file = 0;
};

RssParts ReadRssParts(int pid) {
  std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
  RssParts parts;
  long* current = &parts.anon;
  std::string line;
  while (std::getline(smaps, line)) {
    if (line.rfind("Rss:", 0) == 0) {
      *current += std::strtol(line.c_str() + 4, nullptr, 10);
      continue;
    }
    // A mapping's header: range, permissions, offset, device, inode, path.
    std::istringstream fields(line);
    std::string range, perms, offset, device, path;
    long inode = -1;
    if (!(fields >> range >> perms >> offset >> device >> inode) ||
        range.find('-') == std::string::npos || perms.size() != 4) {
      continue;
    }
    fields >> path;
    current = path == "[heap]" ? &parts.heap : inode != 0 ? &parts.file : &parts.anon;
  }
  return parts;
}

// User plus system processor time of the process, in clock ticks.
long long ReadCpuTicks(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');  // the command name may hold spaces
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  long long utime = 0, stime = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) utime = std::atoll(field.c_str());
    if (index == 15) {
      stime = std::atoll(field.c_str());
      break;
    }
  }
  return utime + stime;
}

std::uint64_t Fingerprint(Display* display, Window window, int width, int height) {
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return 0;
  std::uint64_t hash = 1469598103934665603ull;  // FNV-1a over the rows
  const std::size_t row_bytes = static_cast<std::size_t>(width) * (image->bits_per_pixel / 8);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const unsigned char*>(image->data) +
                      static_cast<std::size_t>(y) * static_cast<std::size_t>(image->bytes_per_line);
    for (std::size_t i = 0; i < row_bytes; i += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, row + i, std::min<std::size_t>(8, row_bytes - i));
      hash = (hash ^ word) * 1099511628211ull;
    }
  }
  XDestroyImage(image);
  return hash;
}

// The frames per second of the newest statistics line in the file, or -1.
double LatestStatsRate(const std::string& path) {
  if (path.empty()) return -1;
  std::ifstream file(path);
  std::string line;
  double rate = -1;
  while (std::getline(file, line)) {
    long frames = 0, ms = 0;
    if (std::sscanf(line.c_str(), "vuble-toy: %ld frames in %ld ms", &frames, &ms) == 2 && ms > 0) {
      rate = 1000.0 * static_cast<double>(frames) / static_cast<double>(ms);
    }
  }
  return rate;
}

struct Options {
  int pid = 0;
  int seconds = 600;
  int sample_seconds = 5;
  int warmup_seconds = 60;
  unsigned seed = 1;
  std::string stats_path;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s PID SECONDS [SAMPLE_SECONDS] [SEED] [STATS]\n", argv[0]);
    return 2;
  }
  Options options;
  options.pid = std::atoi(argv[1]);
  options.seconds = std::atoi(argv[2]);
  if (argc > 3) options.sample_seconds = std::max(1, std::atoi(argv[3]));
  if (argc > 4) options.seed = static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10));
  if (argc > 5) options.stats_path = argv[5];
  options.warmup_seconds = std::min(60, options.seconds / 3);

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "soak: cannot open the X display\n");
    return 2;
  }
  const Window toy = x11tools::FindWindowByTitle(display, "Vuble Toy", 20000);
  int ox = 0, oy = 0, width = 0, height = 0;
  if (toy == 0 || !x11tools::ClientOrigin(display, toy, ox, oy) ||
      !x11tools::ClientSize(display, toy, width, height)) {
    std::fprintf(stderr, "soak: the toy's window did not appear\n");
    return 2;
  }
  // A window of our own to move the keyboard focus to and back.
  const Window other =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 600, 0, 64, 64, 0, 0, 0);
  XMapWindow(display, other);
  XSync(display, False);

  std::mt19937 random(options.seed);
  auto chance = [&random](int percent) {
    return std::uniform_int_distribution<int>(0, 99)(random) < percent;
  };
  const KeySym kKeys[] = {XK_a,    XK_s,     XK_d,  XK_w,    XK_space, XK_Shift_L, XK_Control_L,
                          XK_Left, XK_Right, XK_Up, XK_Down, XK_1,     XK_Return,  XK_Tab};
  std::vector<bool> key_down(sizeof kKeys / sizeof kKeys[0], false);
  bool button_down[4] = {false, false, false, false};

  const auto start = Clock::now();
  auto next_sample = start + std::chrono::seconds(options.sample_seconds);
  long long cpu_before = ReadCpuTicks(options.pid);
  const long ticks_per_second = sysconf(_SC_CLK_TCK);
  std::uint64_t last_picture = 0;
  int changes = 0, grabs = 0;
  long baseline_rss = -1, max_rss_after = 0, first_rss = ReadRssKiB(options.pid);
  RssParts baseline_parts, max_parts;
  double min_change_rate = 1e9, sum_change_rate = 0;
  int rate_samples = 0;
  long long moves = 0, presses = 0, wheels = 0, keys = 0, focus_changes = 0;
  bool alive = true;
  bool counted_by_stats = false;  // the toy reported its own frame counts
  bool grabs_too_slow = false;    // picture changes could not show 60 per second

  std::printf("soak: pid %d, %d s, window %dx%d at (%d,%d), first RSS %ld KiB\n", options.pid,
              options.seconds, width, height, ox, oy, first_rss);
  while (Clock::now() - start < std::chrono::seconds(options.seconds)) {
    // One burst of input.
    const int actions = std::uniform_int_distribution<int>(1, 4)(random);
    for (int a = 0; a < actions; ++a) {
      const int kind = std::uniform_int_distribution<int>(0, 99)(random);
      if (kind < 55) {
        // Mostly inside the window, sometimes around and outside it.
        const int x = std::uniform_int_distribution<int>(-40, width + 40)(random);
        const int y = std::uniform_int_distribution<int>(-40, height + 40)(random);
        XTestFakeMotionEvent(display, -1, ox + x, oy + y, CurrentTime);
        ++moves;
      } else if (kind < 75) {
        const unsigned button = std::uniform_int_distribution<unsigned>(1, 3)(random);
        button_down[button] = !button_down[button];
        XTestFakeButtonEvent(display, button, button_down[button], CurrentTime);
        ++presses;
      } else if (kind < 83) {
        const unsigned button = chance(50) ? 4 : 5;
        XTestFakeButtonEvent(display, button, True, CurrentTime);
        XTestFakeButtonEvent(display, button, False, CurrentTime);
        ++wheels;
      } else if (kind < 98) {
        const std::size_t k =
            std::uniform_int_distribution<std::size_t>(0, key_down.size() - 1)(random);
        key_down[k] = !key_down[k];
        const KeyCode code = XKeysymToKeycode(display, kKeys[k]);
        if (code != 0) XTestFakeKeyEvent(display, code, key_down[k], CurrentTime);
        ++keys;
      } else {
        XSetInputFocus(display, chance(50) ? other : toy, RevertToPointerRoot, CurrentTime);
        ++focus_changes;
      }
    }
    XFlush(display);

    // Watch the picture: every change is at least one new frame.
    const std::uint64_t picture = Fingerprint(display, toy, width, height);
    ++grabs;
    if (picture != last_picture) ++changes;
    last_picture = picture;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));

    if (Clock::now() >= next_sample) {
      const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
      const long rss = ReadRssKiB(options.pid);
      const long long cpu = ReadCpuTicks(options.pid);
      const RssParts parts = ReadRssParts(options.pid);
      if (rss < 0 || cpu < 0) {
        alive = false;
        break;
      }
      const double change_rate = static_cast<double>(changes) / options.sample_seconds;
      const double grab_rate = static_cast<double>(grabs) / options.sample_seconds;
      const double stats_rate = LatestStatsRate(options.stats_path);
      if (stats_rate >= 0) {
        counted_by_stats = true;
      } else if (grab_rate < 70) {
        grabs_too_slow = true;
      }
      const double rate = stats_rate >= 0 ? stats_rate : change_rate;
      const double cpu_share = static_cast<double>(cpu - cpu_before) /
                               static_cast<double>(ticks_per_second) / options.sample_seconds;
      cpu_before = cpu;
      if (elapsed >= options.warmup_seconds) {
        if (baseline_rss < 0) {
          baseline_rss = rss;
          baseline_parts = parts;
        }
        if (rss > max_rss_after) {
          max_rss_after = rss;
          max_parts = parts;
        }
        min_change_rate = std::min(min_change_rate, rate);
        sum_change_rate += rate;
        ++rate_samples;
      }
      char frames[32] = "n/a";
      if (stats_rate >= 0) std::snprintf(frames, sizeof frames, "%.1f/s", stats_rate);
      std::printf(
          "t=%6.1fs rss=%ld KiB (heap %ld, anon %ld, file %ld) frames=%s changes=%.1f/s "
          "grabs=%.1f/s cpu=%.0f%%\n",
          elapsed, rss, parts.heap, parts.anon, parts.file, frames, change_rate, grab_rate,
          100 * cpu_share);
      std::fflush(stdout);
      changes = 0;
      grabs = 0;
      next_sample += std::chrono::seconds(options.sample_seconds);
    }
  }

  // Let go of everything, then close the window as a window manager does.
  for (unsigned button = 1; button <= 3; ++button) {
    if (button_down[button]) XTestFakeButtonEvent(display, button, False, CurrentTime);
  }
  for (std::size_t k = 0; k < key_down.size(); ++k) {
    const KeyCode code = XKeysymToKeycode(display, kKeys[k]);
    if (key_down[k] && code != 0) XTestFakeKeyEvent(display, code, False, CurrentTime);
  }
  XFlush(display);
  if (alive) x11tools::RequestClose(display, toy);
  XDestroyWindow(display, other);
  XCloseDisplay(display);

  const long growth = baseline_rss < 0 ? 0 : max_rss_after - baseline_rss;
  const double mean_rate = rate_samples > 0 ? sum_change_rate / rate_samples : 0;
  std::printf(
      "soak: input moves=%lld presses=%lld wheel=%lld keys=%lld focus=%lld\n"
      "soak: RSS at %d s %ld KiB, highest after %ld KiB, growth %ld KiB (limit 1024)\n"
      "soak: of that growth: heap %+ld KiB, anon %+ld KiB, file %+ld KiB\n"
      "soak: %s per second after %d s: mean %.1f, lowest %.1f (limit 55)\n",
      moves, presses, wheels, keys, focus_changes, options.warmup_seconds, baseline_rss,
      max_rss_after, growth, max_parts.heap - baseline_parts.heap,
      max_parts.anon - baseline_parts.anon, max_parts.file - baseline_parts.file,
      counted_by_stats ? "frames" : "picture changes", options.warmup_seconds, mean_rate,
      rate_samples > 0 ? min_change_rate : 0.0);
  if (!alive) {
    std::printf("soak: FAIL: the toy ended during the run\n");
    return 1;
  }
  bool pass = true;
  if (baseline_rss < 0 || growth > 1024) {
    std::printf("soak: FAIL: resident memory grew\n");
    pass = false;
  }
  if (rate_samples == 0 || min_change_rate < 55) {
    if (!counted_by_stats && grabs_too_slow) {
      // The picture was grabbed too rarely to show the frame rate; report
      // it without failing the run for it.
      std::printf(
          "soak: WARNING: the window could be grabbed fewer than 70 times per second, "
          "so the frame rate was not measured (the toy wrote no frame statistics)\n");
    } else {
      std::printf("soak: FAIL: frames did not keep coming at 60 per second\n");
      pass = false;
    }
  }
  return pass ? 0 : 1;
}
