#include "support/stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "support/format.h"

// Windows's C library has no close-on-exec flag and opens in text mode
// unless told otherwise.
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#ifndef O_BINARY
#define O_BINARY 0
#endif

std::shared_ptr<TFileStream> TFileStream::Open(const Text& path) {
  // A NUL inside the name would silently open a different, shorter path.
  if (path.empty() || path.find(u'\0') != Text::npos) return nullptr;
  const int fd = ::open(ToUtf8(path).c_str(), O_RDONLY | O_BINARY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::make_shared<TFileStream>(fd);
}

TFileStream::~TFileStream() { TFileStream::Close(); }

std::int64_t TFileStream::Pos() {
  if (_fd < 0) return -1;
  const off_t pos = ::lseek(_fd, 0, SEEK_CUR);
  return pos < 0 ? -1 : static_cast<std::int64_t>(pos);
}

std::int64_t TFileStream::Seek(std::int64_t pos) {
  if (_fd < 0) throw TStreamError("Seek on a closed stream");
  const off_t result = pos < 0 ? -1 : ::lseek(_fd, static_cast<off_t>(pos), SEEK_SET);
  if (result < 0)
    throw TStreamError(Format("Unable to seek to position %lld", static_cast<long long>(pos)));
  return static_cast<std::int64_t>(result);
}

std::int64_t TFileStream::Read(void* buf, std::int64_t count) {
  if (_fd < 0) throw TStreamError("Read from a closed stream");
  auto* out = static_cast<char*>(buf);
  std::int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(_fd, out + done, static_cast<std::size_t>(count - done));
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      throw TStreamError("Error reading from stream");
    }
    done += n;
  }
  return done;
}

void TFileStream::Close() {
  if (_fd >= 0) ::close(_fd);
  _fd = -1;
}

TStreamPtr ReadStream(const ObjectPtr& source) {
  if (auto stream = std::dynamic_pointer_cast<TStream>(source)) return stream;
  if (auto path = std::dynamic_pointer_cast<TextObject>(source))
    return TFileStream::Open(path->value);
  return nullptr;
}
