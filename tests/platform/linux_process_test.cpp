#include "platform/linux/linux_process.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/text.h"

namespace {

namespace process = platform::linux_process;

// Runs each test in a fresh temporary folder and returns to the original one.
class LinuxProcessTest : public testing::Test {
 protected:
  void SetUp() override {
    original_ = std::filesystem::current_path();
    char name[] = "/tmp/vuble-process-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = std::filesystem::canonical(name).string();
    ASSERT_TRUE(process::SetCurrentDirectory(FromUtf8(dir_)));
  }
  void TearDown() override {
    std::filesystem::current_path(original_);
    std::filesystem::remove_all(dir_);
  }
  std::u16string Dir() const { return FromUtf8(dir_); }

  std::filesystem::path original_;
  std::string dir_;
};

TEST_F(LinuxProcessTest, ExecutablePathIsTheResolvedExecutable) {
  const std::string path = ToUtf8(process::ExecutablePath());
  EXPECT_EQ(path, std::filesystem::canonical("/proc/self/exe").string());
  EXPECT_EQ(std::filesystem::path(path).filename(), "platform_tests");
}

TEST_F(LinuxProcessTest, DirectoriesAndPaths) {
  EXPECT_EQ(process::CurrentDirectory(), Dir());
  std::filesystem::create_directory(dir_ + "/sub dir");
  { std::ofstream(dir_ + "/file.txt") << "x"; }
  EXPECT_TRUE(process::PathExists(Dir() + u"/sub dir"));
  EXPECT_TRUE(process::PathExists(u"file.txt"));
  EXPECT_FALSE(process::PathExists(u"nothing.txt"));
  EXPECT_FALSE(process::PathExists(u""));
  // A NUL would cut the path short and find its first part.
  EXPECT_FALSE(process::PathExists(std::u16string(u"file.txt\0/nothing", 17)));

  EXPECT_TRUE(process::SetCurrentDirectory(u"sub dir"));
  EXPECT_EQ(process::CurrentDirectory(), Dir() + u"/sub dir");
  EXPECT_FALSE(process::SetCurrentDirectory(u"missing"));
  EXPECT_FALSE(process::SetCurrentDirectory(u""));
  EXPECT_FALSE(process::SetCurrentDirectory(std::u16string(u"/\0missing", 9)));
  EXPECT_EQ(process::CurrentDirectory(), Dir() + u"/sub dir");
}

// A folder whose name is not UTF-8 (Latin-1 here) is found, entered and
// reported with its bytes, not with replacement characters.
TEST_F(LinuxProcessTest, NamesThatAreNotUtf8KeepTheirBytes) {
  const std::string name = dir_ + "/caf\xE9";
  std::filesystem::create_directory(name);
  const std::u16string path = FromSystemBytes(name);
  EXPECT_TRUE(process::PathExists(path));
  ASSERT_TRUE(process::SetCurrentDirectory(path));
  EXPECT_EQ(std::filesystem::current_path().string(), name);
  EXPECT_EQ(ToSystemBytes(process::CurrentDirectory()), name);
}

TEST_F(LinuxProcessTest, FullPathIsLexical) {
  struct Case {
    std::u16string path;
    std::u16string full;
  };
  const Case cases[] = {
      {u"a/b", Dir() + u"/a/b"},
      {u"./a/../b", Dir() + u"/b"},
      {u"a/", Dir() + u"/a/"},
      {u"/x/./y//z", u"/x/y/z"},
      {u"/x/y/../../..", u"/"},
      {u"/", u"/"},
      {u"", u""},
      {u"-rf", Dir() + u"/-rf"},
  };
  for (const auto& c : cases) EXPECT_EQ(process::FullPath(c.path), c.full) << ToUtf8(c.path);
}

}  // namespace
