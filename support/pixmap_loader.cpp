// The process-wide chain of pixel-buffer loaders and loading through it.
#include "support/pixmap.h"

namespace {

TPixmapLoader* firstLoader = nullptr;

// Closes the stream on the way out of an error, so that a failing loader
// does not leak it; the original error is the one that passes on.
void CloseAfterError(TStream& stream) noexcept {
  try {
    stream.Close();
  } catch (const std::exception&) {
  }
}

}  // namespace

TPixmapLoader::TPixmapLoader() : _succ(firstLoader) { firstLoader = this; }

TPixmapLoader::~TPixmapLoader() {
  // The chain holds no references, so a loader that goes away unlinks itself.
  for (TPixmapLoader** link = &firstLoader; *link != nullptr; link = &(*link)->_succ) {
    if (*link == this) {
      *link = _succ;
      break;
    }
  }
}

TPixmapLoader* FirstPixmapLoader() { return firstLoader; }

TPixmapPtr LoadPixelBuffer(const ObjectPtr& source) {
  const TStreamPtr stream = ReadStream(source);
  if (!stream) return nullptr;
  TPixmapPtr found;
  try {
    const std::int64_t start = stream->Pos();
    if (start == -1) {
      stream->Close();
      return nullptr;
    }
    for (TPixmapLoader* loader = firstLoader; loader != nullptr && !found; loader = loader->_succ) {
      stream->Seek(start);
      try {
        found = loader->LoadPixmap(stream);
      } catch (const TStreamError&) {
        found = nullptr;  // this loader could not read the stream: ask the next one
      }
    }
  } catch (...) {
    CloseAfterError(*stream);
    throw;
  }
  stream->Close();
  return found;
}
