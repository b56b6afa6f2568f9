#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "support/pixmap.h"
#include "support/stream.h"

namespace {

// A stream over bytes in memory that records seeks and closing; its
// position can be made unknown.
class MemoryStream : public TStream {
 public:
  explicit MemoryStream(std::string bytes, std::int64_t start = 0)
      : bytes(std::move(bytes)), pos(start) {}
  std::int64_t Pos() override { return unknownPosition ? -1 : pos; }
  std::int64_t Seek(std::int64_t to) override {
    seeks.push_back(to);
    pos = to;
    return pos;
  }
  std::int64_t Read(void* buf, std::int64_t count) override {
    const std::int64_t left = static_cast<std::int64_t>(bytes.size()) - pos;
    const std::int64_t n = count < left ? count : left;
    if (n <= 0) return 0;
    std::memcpy(buf, bytes.data() + pos, static_cast<std::size_t>(n));
    pos += n;
    return n;
  }
  void Close() override { ++closes; }

  std::string bytes;
  std::int64_t pos = 0;
  bool unknownPosition = false;
  std::vector<std::int64_t> seeks;
  int closes = 0;
};

// Reads "PIX" and one intensity byte into a 1 by 1 buffer; raises a stream
// error when the stream ends early, Null for other contents.
class PixLoader : public TPixmapLoader {
 public:
  TPixmapPtr LoadPixmap(const TStreamPtr& stream) override {
    ++calls;
    char header[4];
    if (stream->Read(header, 4) != 4) throw TStreamError("Unexpected end of stream");
    if (std::memcmp(header, "PIX", 3) != 0) return nullptr;
    TPixmapPtr p = TPixmap::Create(1, 1, IntensityFormat, 1);
    p->pixels[0] = static_cast<std::uint8_t>(header[3]);
    return p;
  }
  int calls = 0;
};

// Runs a scripted action: reads a byte, then raises or returns what it is told.
class ScriptedLoader : public TPixmapLoader {
 public:
  explicit ScriptedLoader(std::function<TPixmapPtr()> act) : act(std::move(act)) {}
  TPixmapPtr LoadPixmap(const TStreamPtr& stream) override {
    ++calls;
    char byte;
    stream->Read(&byte, 1);
    return act();
  }
  std::function<TPixmapPtr()> act;
  int calls = 0;
};

TEST(LoadPixelBuffer, EmptyChainAndUnreadableSourcesGiveNull) {
  ASSERT_EQ(FirstPixmapLoader(), nullptr);
  auto stream = std::make_shared<MemoryStream>("PIX\x05");
  EXPECT_EQ(LoadPixelBuffer(stream), nullptr);
  EXPECT_EQ(stream->closes, 1);
  PixLoader loader;
  EXPECT_EQ(LoadPixelBuffer(nullptr), nullptr);
  EXPECT_EQ(LoadPixelBuffer(TPixmap::Create(1, 1, RGBFormat, 1)), nullptr);
  EXPECT_EQ(LoadPixelBuffer(std::make_shared<TextObject>(u"/nonexistent/picture.pix")), nullptr);
  EXPECT_EQ(LoadPixelBuffer(std::make_shared<TextObject>(Text(u"/etc/hostname\0x", 15))), nullptr);
  EXPECT_EQ(loader.calls, 0);
}

TEST(LoadPixelBuffer, UnknownPositionClosesWithoutAskingLoaders) {
  PixLoader loader;
  auto stream = std::make_shared<MemoryStream>("PIX\x05");
  stream->unknownPosition = true;
  EXPECT_EQ(LoadPixelBuffer(stream), nullptr);
  EXPECT_EQ(loader.calls, 0);
  EXPECT_EQ(stream->closes, 1);
}

TEST(LoadPixelBuffer, LastMadeLoaderIsAskedFirstFromTheStartPosition) {
  PixLoader pix;
  ScriptedLoader failing([]() -> TPixmapPtr { throw TStreamError("Corrupt header"); });
  ScriptedLoader declining([] { return TPixmapPtr(); });
  EXPECT_EQ(FirstPixmapLoader(), &declining);
  EXPECT_EQ(declining._succ, &failing);
  auto stream = std::make_shared<MemoryStream>("junkPIX\x2a", 4);
  TPixmapPtr p = LoadPixelBuffer(stream);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->ReadPixel(0, 0), 0xFF2A2A2Au);
  EXPECT_EQ(declining.calls, 1);
  EXPECT_EQ(failing.calls, 1);
  EXPECT_EQ(pix.calls, 1);
  EXPECT_EQ(stream->seeks, (std::vector<std::int64_t>{4, 4, 4}));
  EXPECT_EQ(stream->closes, 1);
}

TEST(LoadPixelBuffer, OtherErrorsPassOnAndTheStreamIsClosed) {
  PixLoader pix;
  ScriptedLoader broken([]() -> TPixmapPtr { throw RuntimeError("Out of paint"); });
  auto stream = std::make_shared<MemoryStream>("PIX\x05");
  try {
    LoadPixelBuffer(stream);
    ADD_FAILURE() << "the loader's error was swallowed";
  } catch (const TStreamError&) {
    ADD_FAILURE() << "wrong error type";
  } catch (const RuntimeError& e) {
    EXPECT_STREQ(e.what(), "Out of paint");
  }
  EXPECT_EQ(pix.calls, 0);
  EXPECT_EQ(stream->closes, 1);
}

TEST(LoadPixelBuffer, DestroyedLoaderLeavesTheChain) {
  PixLoader outer;
  {
    PixLoader middle;
    PixLoader inner;
    EXPECT_EQ(inner._succ, &middle);
  }
  EXPECT_EQ(FirstPixmapLoader(), &outer);
  EXPECT_EQ(outer._succ, nullptr);
}

// The name is not UTF-8 (a Latin-1 byte): the text keeps its bytes.
TEST(LoadPixelBuffer, ReadsAFileNamedByText) {
  char path[] = "/tmp/pixmap_loader_caf\xE9XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "PIX\x07", 4), 4);
  ::close(fd);
  PixLoader pix;
  TPixmapPtr p = LoadPixelBuffer(std::make_shared<TextObject>(FromSystemBytes(path)));
  ::unlink(path);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->pixels[0], 7);
}

TEST(TFileStream, PositionSeekReadAndClose) {
  char path[] = "/tmp/pixmap_stream_testXXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "abcdef", 6), 6);
  ::close(fd);
  auto stream = TFileStream::Open(FromUtf8(path));
  ::unlink(path);
  ASSERT_NE(stream, nullptr);
  char buf[8] = {};
  EXPECT_EQ(stream->Read(buf, 4), 4);
  EXPECT_EQ(stream->Pos(), 4);
  EXPECT_EQ(stream->Read(buf, 8), 2);
  EXPECT_STREQ(buf, "efcd");
  EXPECT_EQ(stream->Seek(1), 1);
  EXPECT_THROW(stream->Seek(-3), TStreamError);
  stream->Close();
  EXPECT_EQ(stream->Pos(), -1);
  EXPECT_THROW(stream->Read(buf, 1), TStreamError);
  stream->Close();
}

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

}  // namespace
