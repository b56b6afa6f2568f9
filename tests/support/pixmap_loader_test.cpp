#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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

// A file of the given bytes in the temporary folder, removed with it.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& bytes) {
    // Each test runs in a process of its own, in parallel with the others:
    // the test's name keeps their files apart.
    static int count = 0;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            (std::string("vuble_stream_test_") + test->test_suite_name() + "_" + test->name() +
             "_" + std::to_string(++count) + ".bin");
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  ~TemporaryFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  Text Name() const {
    const std::u8string name = path_.u8string();
    return FromUtf8(std::string(name.begin(), name.end()));
  }

 private:
  std::filesystem::path path_;
};

TEST(LoadPixelBuffer, ReadsAFileNamedByText) {
  const TemporaryFile file("PIX\x07");
  PixLoader pix;
  TPixmapPtr p = LoadPixelBuffer(std::make_shared<TextObject>(file.Name()));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->pixels[0], 7);
}

TEST(TFileStream, PositionSeekReadAndClose) {
  const TemporaryFile file("abcdef");
  auto stream = TFileStream::Open(file.Name());
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

}  // namespace
