// File streams on POSIX file systems: a FIFO must not make opening wait,
// and a file name that is not UTF-8 keeps its bytes. Not built for Windows,
// which has neither FIFOs nor byte-string file names.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "support/pixmap.h"
#include "support/stream.h"

namespace {

// A FIFO without a writer, a folder and a device give Null at once, as a
// missing file does, also when loading with no loader registered. An open
// that blocks is released by writers, so the test fails instead of hanging.
TEST(TFileStream, OnlyRegularFilesOpenAndNothingWaits) {
  char folder[] = "/tmp/pixmap_stream_kindsXXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const std::string fifo = std::string(folder) + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::vector<std::string> paths = {fifo, folder, "/dev/null", std::string(folder) + "/none"};
  auto results = std::async(std::launch::async, [&] {
    std::vector<std::string> opened;
    for (const auto& path : paths) {
      if (TFileStream::Open(FromUtf8(path)) != nullptr) opened.push_back(path);
    }
    if (FirstPixmapLoader() == nullptr &&
        LoadPixelBuffer(std::make_shared<TextObject>(FromUtf8(fifo))) != nullptr) {
      opened.push_back("loaded " + fifo);
    }
    return opened;
  });
  const bool waited = results.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
  while (results.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) ::close(writer);
  }
  EXPECT_FALSE(waited) << "opening the FIFO waited for a writer";
  EXPECT_EQ(results.get(), std::vector<std::string>{});
  ::unlink(fifo.c_str());
  ::rmdir(folder);
}

// The name is not UTF-8 (a Latin-1 byte): the text keeps its bytes, so the
// stream opens the file that has that name.
TEST(TFileStream, OpensAFileWhoseNameIsNotUtf8) {
  char path[] = "/tmp/stream_caf\xE9XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "PIX\x07", 4), 4);
  ::close(fd);
  const TStreamPtr stream = TFileStream::Open(FromSystemBytes(path));
  ::unlink(path);
  ASSERT_NE(stream, nullptr);
  char bytes[4] = {};
  EXPECT_EQ(stream->Read(bytes, 4), 4);
  EXPECT_EQ(bytes[3], 7);
}

// The system's read fails (the process's own memory at address 0): the
// stream raises its own error, which the loaders know, not the file
// buffer's.
TEST(TFileStream, AFailedReadRaisesTheStreamError) {
  const TStreamPtr stream = TFileStream::Open(u"/proc/self/mem");
  ASSERT_NE(stream, nullptr);
  char bytes[16];
  EXPECT_THROW(stream->Read(bytes, sizeof bytes), TStreamError);
}

}  // namespace
