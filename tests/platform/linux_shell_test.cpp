#include "platform/linux/linux_shell.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "support/text.h"

namespace {

namespace shell = platform::linux_shell;
using Args = std::vector<std::string>;

// Puts stub helper programs first (and alone) on PATH. Each stub records
// its arguments, NUL-separated, prints a scripted answer and exits with a
// scripted status.
class LinuxShellTest : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/vuble-shell-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
    for (const char* variable : {"PATH", "XDG_CURRENT_DESKTOP", "KDE_FULL_SESSION"}) {
      const char* value = std::getenv(variable);
      saved_.emplace_back(variable, value ? std::optional<std::string>(value) : std::nullopt);
    }
    setenv("PATH", dir_.c_str(), 1);
    unsetenv("XDG_CURRENT_DESKTOP");
    unsetenv("KDE_FULL_SESSION");
  }

  void TearDown() override {
    for (const auto& [variable, value] : saved_) {
      if (value) {
        setenv(variable.c_str(), value->c_str(), 1);
      } else {
        unsetenv(variable.c_str());
      }
    }
    std::filesystem::remove_all(dir_);
  }

  void Stub(const std::string& program, const std::string& answer, int status,
            const std::string& before = "") {
    const std::string path = dir_ + "/" + program;
    std::ofstream script(path);
    script << "#!/bin/sh\n"
           << before << "\n"
           << "for a in \"$@\"; do printf '%s\\000' \"$a\" >> '" << Record(program) << "'; done\n"
           << "printf '%s\\n' '" << answer << "'\n"
           << "exit " << status << "\n";
    script.close();
    chmod(path.c_str(), 0755);
  }

  std::string Record(const std::string& program) const { return dir_ + "/" + program + ".args"; }

  // The arguments the stub received, or nothing when it never ran.
  std::optional<Args> Received(const std::string& program) const {
    std::ifstream in(Record(program), std::ios::binary);
    if (!in) return std::nullopt;
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Args args;
    std::size_t begin = 0;
    while (begin < all.size()) {
      const std::size_t end = all.find('\0', begin);
      args.push_back(all.substr(begin, end - begin));
      begin = end + 1;
    }
    return args;
  }

  void Forget(const std::string& program) { std::filesystem::remove(Record(program)); }

  std::string dir_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

platform::FileDialog PictureRequest(bool save) {
  platform::FileDialog request;
  request.owner = 0x300;
  request.title = u"Open picture";
  request.initial_dir = u"/home/u/pics";
  request.file_name = u"old.png";
  request.filter = {{u"Text", u"*.txt"}, {u"Images", u"*.png;*.jpg"}};
  request.filter_index = 2;
  request.save = save;
  return request;
}

TEST_F(LinuxShellTest, NothingInstalledGivesNoAnswer) {
  std::u16string chosen = u"unchanged";
  EXPECT_FALSE(shell::OpenFileDialog(PictureRequest(false), chosen));
  EXPECT_FALSE(shell::BrowseForFolder({0, u"Folder", u"/tmp"}, chosen));
  EXPECT_EQ(chosen, u"unchanged");
  EXPECT_EQ(shell::OpenUrl(u"http://example.org"), 0);
}

TEST_F(LinuxShellTest, ZenityOpenAndSaveWithTheNaturalGroupFirst) {
  Stub("zenity", "/home/u/pics/new photo.png", 0);
  std::u16string chosen;
  ASSERT_TRUE(shell::OpenFileDialog(PictureRequest(false), chosen));
  EXPECT_EQ(chosen, u"/home/u/pics/new photo.png");
  EXPECT_EQ(Received("zenity"),
            (Args{"--file-selection", "--title=Open picture", "--filename=/home/u/pics/old.png",
                  "--file-filter=Images | *.png *.jpg", "--file-filter=Text | *.txt"}));

  Forget("zenity");
  ASSERT_TRUE(shell::OpenFileDialog(PictureRequest(true), chosen));
  EXPECT_EQ(Received("zenity"),
            (Args{"--file-selection", "--title=Open picture", "--save", "--confirm-overwrite",
                  "--filename=/home/u/pics/old.png", "--file-filter=Images | *.png *.jpg",
                  "--file-filter=Text | *.txt"}));

  // A folder without a name is given as a folder.
  Forget("zenity");
  platform::FileDialog bare;
  bare.title = u"T";
  bare.initial_dir = u"/srv";
  shell::OpenFileDialog(bare, chosen);
  EXPECT_EQ(Received("zenity"), (Args{"--file-selection", "--title=T", "--filename=/srv/"}));

  // Cancelled (status 1), or no answer: no choice.
  chosen.clear();
  Stub("zenity", "", 1);
  EXPECT_FALSE(shell::OpenFileDialog(PictureRequest(false), chosen));
  Stub("zenity", "", 0);
  EXPECT_FALSE(shell::BrowseForFolder({0, u"Folder", u""}, chosen));
  EXPECT_TRUE(chosen.empty());
}

TEST_F(LinuxShellTest, KdialogOnKde) {
  Stub("zenity", "/from/zenity", 0);
  Stub("kdialog", "/home/u/pics/\xC3\xA9t\xC3\xA9.jpg", 0);
  setenv("XDG_CURRENT_DESKTOP", "ubuntu:KDE", 1);
  std::u16string chosen;
  ASSERT_TRUE(shell::OpenFileDialog(PictureRequest(true), chosen));
  EXPECT_EQ(chosen, u"/home/u/pics/\u00E9t\u00E9.jpg");
  EXPECT_EQ(Received("kdialog"), (Args{"--title=Open picture", "--getsavefilename", "--",
                                       "/home/u/pics/old.png", "*.png *.jpg|Images\n*.txt|Text"}));
  EXPECT_EQ(Received("zenity"), std::nullopt);

  Forget("kdialog");
  ASSERT_TRUE(shell::BrowseForFolder({0, u"Where", u"/home/u"}, chosen));
  EXPECT_EQ(Received("kdialog"),
            (Args{"--title=Where", "--getexistingdirectory", "--", "/home/u"}));

  // KDE_FULL_SESSION alone also means KDE.
  unsetenv("XDG_CURRENT_DESKTOP");
  setenv("KDE_FULL_SESSION", "true", 1);
  Forget("kdialog");
  platform::FileDialog bare;
  bare.title = u"T";
  shell::OpenFileDialog(bare, chosen);
  EXPECT_EQ(Received("kdialog"), (Args{"--title=T", "--getopenfilename", "--", "."}));
}

TEST_F(LinuxShellTest, TheOtherHelperWhenThePreferredOneIsMissing) {
  Stub("kdialog", "/k", 0);
  std::u16string chosen;
  ASSERT_TRUE(shell::BrowseForFolder({0, u"F", u""}, chosen));  // not KDE, no zenity
  EXPECT_EQ(chosen, u"/k");
  std::filesystem::remove(dir_ + "/kdialog");
  Stub("zenity", "/z", 0);
  setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
  ASSERT_TRUE(shell::BrowseForFolder({0, u"F", u"/srv/data/"}, chosen));
  EXPECT_EQ(chosen, u"/z");
  EXPECT_EQ(Received("zenity"),
            (Args{"--file-selection", "--directory", "--title=F", "--filename=/srv/data/"}));
}

TEST_F(LinuxShellTest, HostileTextsArriveWholeAndRunNothing) {
  const std::string marker = dir_ + "/P";
  const std::vector<std::string> texts = {
      "a'; touch " + marker + "; '",
      "$(touch " + marker + ")",
      "`touch " + marker + "`",
      "\"; touch " + marker + "; \"",
      "line\ntouch " + marker,
      "-rf",
      "--help",
      "a | b; c & d",
  };
  Stub("zenity", "/z", 0);
  Stub("kdialog", "/k", 0);
  Stub("xdg-open", "", 0);
  std::u16string chosen;
  for (const auto& text : texts) {
    const std::u16string wide = FromUtf8(text);
    // A path starting with "-" is made explicitly relative.
    const std::string path = text[0] == '-' ? "./" + text : text;
    platform::FileDialog request;
    request.title = wide;
    request.file_name = wide;
    Forget("zenity");
    shell::OpenFileDialog(request, chosen);
    EXPECT_EQ(Received("zenity"),
              (Args{"--file-selection", "--title=" + text, "--filename=" + path}));

    setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
    Forget("kdialog");
    shell::BrowseForFolder({0, wide, wide}, chosen);
    EXPECT_EQ(Received("kdialog"), (Args{"--title=" + text, "--getexistingdirectory", "--", path}));
    unsetenv("XDG_CURRENT_DESKTOP");

    Forget("xdg-open");
    shell::OpenUrl(wide);
    EXPECT_EQ(Received("xdg-open"), Args{path});
  }
  EXPECT_FALSE(std::filesystem::exists(marker));
}

// The answer is the helper's whole output but its final newline, byte for
// byte: a name may hold newlines and bytes that are not UTF-8, and a name
// that is not UTF-8 reaches the helper as it was.
TEST_F(LinuxShellTest, TheWholeAnswerComesBackByteForByte) {
  Stub("zenity", "/home/u/a\nb\xFF.txt\n", 0);
  platform::FileDialog request;
  request.title = u"Save";
  request.initial_dir = FromSystemBytes("/home/u/caf\xE9");
  request.file_name = FromSystemBytes("\xFE.txt");
  std::u16string chosen;
  ASSERT_TRUE(shell::OpenFileDialog(request, chosen));
  EXPECT_EQ(ToSystemBytes(chosen), "/home/u/a\nb\xFF.txt\n");
  EXPECT_EQ(Received("zenity"),
            (Args{"--file-selection", "--title=Save", "--filename=/home/u/caf\xE9/\xFE.txt"}));

  // Output holding a NUL names no file.
  Stub("zenity", "", 0, "printf '/home/u/a\\000b\\n'; exit 0");
  EXPECT_FALSE(shell::BrowseForFolder({0, u"F", u""}, chosen));
}

// Texts of the caller never start an argument with "-", where a toolkit
// would take them for its own options; a "|" in a pattern keeps kdialog's
// "patterns|name" filter whole.
TEST_F(LinuxShellTest, CallerTextsStartNoArgumentWithADash) {
  Stub("kdialog", "/k", 0);
  setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
  platform::FileDialog request;
  request.title = u"T";
  request.file_name = u"-name";
  request.filter = {{u"a", u"-stylesheet=evil.qss"}, {u"Pipes", u"*.a|b;-x"}};
  std::u16string chosen;
  ASSERT_TRUE(shell::OpenFileDialog(request, chosen));
  EXPECT_EQ(Received("kdialog"), (Args{"--title=T", "--getopenfilename", "--", "./-name",
                                       "[-]stylesheet=evil.qss|a\n*.a?b [-]x|Pipes"}));
}

// A helper keeps only standard input, output and error of what the host
// has open (here a descriptor without close-on-exec), and its answer pipe.
TEST_F(LinuxShellTest, HelpersInheritNoOtherDescriptors) {
  const int opened = open("/dev/null", O_RDONLY);
  const int kept = dup2(opened, 77);
  close(opened);
  ASSERT_EQ(kept, 77);
  const std::string seen = dir_ + "/seen";
  Stub("zenity", "/z", 0,
       "for fd in 0 1 2 77; do [ -e /proc/$$/fd/$fd ] && printf '%s ' $fd >> '" + seen + "'; done");
  std::u16string chosen;
  EXPECT_TRUE(shell::BrowseForFolder({0, u"F", u""}, chosen));
  close(kept);
  std::ifstream in(seen);
  std::string fds;
  std::getline(in, fds);
  EXPECT_EQ(fds, "0 1 2 ");
}

// Only absolute PATH entries are searched: ".", "bin" or an empty entry
// name folders that depend on where the program happens to be.
TEST_F(LinuxShellTest, RelativePathEntriesAreNotSearched) {
  const auto original = std::filesystem::current_path();
  std::filesystem::create_directory(dir_ + "/bin");
  Stub("xdg-open", "", 0);
  std::filesystem::rename(dir_ + "/xdg-open", dir_ + "/bin/xdg-open");
  Stub("xdg-open", "", 0);
  std::filesystem::current_path(dir_);
  for (const char* path : {".", "bin", "", "./bin:bin/:."}) {
    setenv("PATH", path, 1);
    EXPECT_EQ(shell::OpenUrl(u"http://example.org"), 0) << path;
  }
  std::filesystem::current_path(original);
  EXPECT_EQ(Received("xdg-open"), std::nullopt);
}

TEST_F(LinuxShellTest, ProcessLeftBehindDoesNotHoldTheAnswerBack) {
  // The helper leaves a process running that keeps its standard output open.
  Stub("zenity", "/chosen", 0, "/bin/sleep 60 2>/dev/null &");
  const auto started = std::chrono::steady_clock::now();
  std::u16string chosen;
  EXPECT_TRUE(shell::OpenFileDialog(PictureRequest(false), chosen));
  EXPECT_EQ(chosen, u"/chosen");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
}

TEST_F(LinuxShellTest, TextsWithNulAreRefused) {
  Stub("zenity", "/z", 0);
  Stub("xdg-open", "", 0);
  const std::u16string cut(u"safe\0--evil", 11);
  std::u16string chosen;
  platform::FileDialog request;
  request.title = cut;
  EXPECT_FALSE(shell::OpenFileDialog(request, chosen));
  EXPECT_EQ(shell::OpenUrl(cut), 0);
  EXPECT_EQ(Received("zenity"), std::nullopt);
  EXPECT_EQ(Received("xdg-open"), std::nullopt);
}

TEST_F(LinuxShellTest, OpenUrlReportsSuccessOnlyWhenXdgOpenSucceeds) {
  const std::pair<int, std::intptr_t> cases[] = {{0, 33}, {2, 2}, {1, 0}, {3, 0}, {4, 0}};
  for (const auto& [status, result] : cases) {
    Stub("xdg-open", "", status);
    Forget("xdg-open");
    EXPECT_EQ(shell::OpenUrl(u"file:/home/u/index.html#top"), result) << status;
    EXPECT_EQ(Received("xdg-open"), Args{"file:/home/u/index.html#top"});
  }
  EXPECT_EQ(shell::OpenUrl(u""), 0);
}

}  // namespace
