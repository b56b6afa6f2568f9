// Readable byte streams, as far as the pixel-buffer loaders need them: a
// position that may be unknown, seeking, reading and closing, and a stream
// error type of its own. Used by support/pixmap.cpp and by pixel loaders.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>

#include "support/error.h"
#include "support/object.h"

// Raised by streams when reading, seeking or opening fails. Loaders let it
// pass; the loader chain treats it as "this loader cannot read the source".
class TStreamError : public RuntimeError {
 public:
  using RuntimeError::RuntimeError;
};

class TStream : public Object {
 public:
  // The current byte offset, or -1 when the stream cannot tell (a pipe, a
  // closed stream).
  virtual std::int64_t Pos() = 0;
  // Moves to the byte offset pos and returns the new position; raises
  // TStreamError when the stream cannot move there.
  virtual std::int64_t Seek(std::int64_t pos) = 0;
  // Reads up to count bytes into buf; returns how many were read, 0 at the
  // end. Raises TStreamError on a read failure.
  virtual std::int64_t Read(void* buf, std::int64_t count) = 0;
  // Releases the stream's resources; further reads and seeks raise
  // TStreamError. Closing twice does nothing.
  virtual void Close() = 0;
};

using TStreamPtr = std::shared_ptr<TStream>;

// A read-only stream over a regular file of the local file system, through
// the standard library's file buffer.
class TFileStream : public TStream {
 public:
  // Opens the regular file at path (symbolic links followed; a name that is
  // not UTF-8 given as FromSystemBytes keeps it, support/text.h); Null when
  // there is none or it cannot be opened. Anything else (a folder, a FIFO, a
  // device) gives Null too, at once: opening a FIFO would wait for a writer,
  // and a device may never end.
  static std::shared_ptr<TFileStream> Open(const Text& path);
  explicit TFileStream(std::filebuf&& file) : _file(std::move(file)) {}
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::int64_t Pos() override;
  std::int64_t Seek(std::int64_t pos) override;
  std::int64_t Read(void* buf, std::int64_t count) override;
  void Close() override;

 private:
  std::filebuf _file;
};

// Opens a source for reading: a source that already is a stream is used as
// it is; a text (TextObject) names a file that is opened as a file stream.
// Anything else, or a file that cannot be opened, gives Null.
TStreamPtr ReadStream(const ObjectPtr& source);
