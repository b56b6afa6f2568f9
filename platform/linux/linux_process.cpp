#include "platform/linux/linux_process.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/text.h"

namespace platform::linux_process {
namespace {

// A path for the C library, with the bytes of a name that is not UTF-8
// given back: false when it holds a NUL, which no file name can contain
// (passing it on would silently cut the path short).
bool ToNative(const std::u16string& path, std::string& native) {
  native = ToSystemBytes(path);
  return native.find('\0') == std::string::npos;
}

// Whether forks on this thread end with the process; in a forked child the
// copy of the forking thread's values is what the child sees.
thread_local bool forks_end_with_process = false;
thread_local pid_t forking_process = 0;

void BeforeFork() {
  if (forks_end_with_process) forking_process = getpid();
}

void InForkedChild() {
  if (!forks_end_with_process) return;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The parent may have ended before the signal was asked for.
  if (getppid() != forking_process) _exit(1);
}

// Registered when the program starts, not at the first message box: that
// box may be the fatal report, shown from a fault handler, where taking
// pthread_atfork's lock or allocating could hang.
const int kForkHandlers = pthread_atfork(BeforeFork, nullptr, InForkedChild);

}  // namespace

void OpenMissingStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number, which is fd itself: those below it are open.
    const int opened = open("/dev/null", O_RDWR);
    if (opened < 0) return;  // no /dev/null: nothing harmless to put there
    if (opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
}

ForkedChildrenEndWithProcess::ForkedChildrenEndWithProcess() : was_on_(forks_end_with_process) {
  forks_end_with_process = true;
}

ForkedChildrenEndWithProcess::~ForkedChildrenEndWithProcess() { forks_end_with_process = was_on_; }

std::u16string ExecutablePath() {
  // The kernel's link names the resolved executable. Paths are not cut at a
  // fixed length: the buffer grows until the whole link fits.
  std::vector<char> buffer(512);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size()) {
      return FromSystemBytes(std::string_view(buffer.data(), static_cast<std::size_t>(length)));
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::u16string CurrentDirectory() {
  std::vector<char> buffer(512);
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) return FromSystemBytes(buffer.data());
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
}

bool SetCurrentDirectory(const std::u16string& path) {
  std::string native;
  if (!ToNative(path, native)) return false;
  return chdir(native.c_str()) == 0;
}

bool PathExists(const std::u16string& path) {
  std::string native;
  if (!ToNative(path, native) || native.empty()) return false;
  struct stat info {};
  return stat(native.c_str(), &info) == 0;
}

std::u16string FullPath(const std::u16string& path) {
  if (path.empty()) return {};  // names nothing, not the current directory
  std::u16string joined = path;
  if (path[0] != u'/') {
    const std::u16string current = CurrentDirectory();
    if (current.empty()) return {};
    joined = current;
    joined += u'/';
    joined += path;
  }
  // Lexical clean-up, as a path that does not exist yet must be completed too.
  std::vector<std::u16string> parts;
  std::size_t begin = 0;
  while (begin <= joined.size()) {
    std::size_t end = joined.find(u'/', begin);
    if (end == std::u16string::npos) end = joined.size();
    const std::u16string part = joined.substr(begin, end - begin);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    begin = end + 1;
  }
  std::u16string full;
  for (const auto& part : parts) {
    full += u'/';
    full += part;
  }
  if (full.empty()) full.push_back(u'/');
  // A trailing "/" names a folder; keep it.
  if (joined.size() > 1 && joined.back() == u'/' && full != u"/") full += u'/';
  return full;
}

}  // namespace platform::linux_process
