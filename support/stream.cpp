#include "support/stream.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "support/format.h"

std::shared_ptr<TFileStream> TFileStream::Open(const Text& path) {
  // A NUL inside the name would silently open a different, shorter path.
  if (path.empty() || path.find(u'\0') != Text::npos) return nullptr;
#ifdef _WIN32
  // Windows names are UTF-16 as texts are, unpaired surrogates included.
  const std::filesystem::path native(std::wstring(path.begin(), path.end()));
#else
  // A name that is not UTF-8 keeps its bytes (FromSystemBytes).
  const std::filesystem::path native(ToSystemBytes(path));
#endif
  // Decided before opening, as opening a FIFO blocks until a writer comes.
  std::error_code error;
  if (!std::filesystem::is_regular_file(native, error)) return nullptr;
  std::filebuf file;
  if (file.open(native, std::ios::in | std::ios::binary) == nullptr) return nullptr;
  return std::make_shared<TFileStream>(std::move(file));
}

TFileStream::~TFileStream() { TFileStream::Close(); }

std::int64_t TFileStream::Pos() {
  if (!_file.is_open()) return -1;
  const std::streamoff pos = _file.pubseekoff(0, std::ios::cur, std::ios::in);
  return pos < 0 ? -1 : static_cast<std::int64_t>(pos);
}

std::int64_t TFileStream::Seek(std::int64_t pos) {
  if (!_file.is_open()) throw TStreamError("Seek on a closed stream");
  const std::streamoff result =
      pos < 0 ? std::streamoff{-1}
              : std::streamoff(_file.pubseekpos(static_cast<std::streamoff>(pos), std::ios::in));
  if (result < 0)
    throw TStreamError(Format("Unable to seek to position %lld", static_cast<long long>(pos)));
  return static_cast<std::int64_t>(result);
}

std::int64_t TFileStream::Read(void* buf, std::int64_t count) {
  if (!_file.is_open()) throw TStreamError("Read from a closed stream");
  if (count <= 0) return 0;
  try {
    return static_cast<std::int64_t>(
        _file.sgetn(static_cast<char*>(buf), static_cast<std::streamsize>(count)));
  } catch (const std::exception&) {
    // The file buffer raises its own error when the system's read fails.
    throw TStreamError("Error reading from stream");
  }
}

void TFileStream::Close() {
  if (_file.is_open()) _file.close();
}

TStreamPtr ReadStream(const ObjectPtr& source) {
  if (auto stream = std::dynamic_pointer_cast<TStream>(source)) return stream;
  if (auto path = std::dynamic_pointer_cast<TextObject>(source))
    return TFileStream::Open(path->value);
  return nullptr;
}
