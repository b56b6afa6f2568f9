#include "system/dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "system/startup.h"

namespace {

using Filter = std::vector<std::pair<Text, Text>>;

class DialogsTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::Install(fake);
    ApplicationTitle = u"Vuble Toy";
    fake.SetActiveWindow(0x300);
    fake.SetFocusWindow(0x301);
  }
  platform::FakePlatform fake;
};

TEST_F(DialogsTest, BoxStylesAndResults) {
  struct Case {
    const char* operation;
    int serious;
    int pressed;
    std::uint32_t style;
    int result;
  };
  const Case cases[] = {
      {"Notify", 1, platform::IDOK, 0x40030, 0},
      {"Notify", 0, platform::IDOK, 0x40040, 0},
      {"Confirm", 7, platform::IDOK, 0x40031, 1},
      {"Confirm", 0, platform::IDOK, 0x40041, 1},
      {"Confirm", 0, platform::IDCANCEL, 0x40041, 0},
      {"Confirm", 0, 0, 0x40041, 0},  // no box could be shown
      {"Proceed", 1, platform::IDYES, 0x40033, 1},
      {"Proceed", 0, platform::IDNO, 0x40043, 0},
      {"Proceed", 0, platform::IDCANCEL, 0x40043, -1},
      {"Proceed", 0, 0, 0x40043, -1},
  };
  for (const auto& c : cases) {
    fake.SetMessageBoxResult(c.pressed);
    const std::string name = c.operation;
    int result = 99;
    if (name == "Notify") result = dialogs::Notify(u"Saved", c.serious);
    if (name == "Confirm") result = dialogs::Confirm(u"Saved", c.serious);
    if (name == "Proceed") result = dialogs::Proceed(u"Saved", c.serious);
    EXPECT_EQ(result, c.result) << name << " pressed " << c.pressed;
    const auto& box = fake.MessageBoxes().back();
    EXPECT_EQ(box.style, c.style) << name;
    EXPECT_EQ(box.caption, u"Vuble Toy");
    EXPECT_EQ(box.owner, 0x300u);
    EXPECT_EQ(box.text, u"Saved");
  }
}

TEST_F(DialogsTest, FocusIsGivenBackAfterBoxesAndRequesters) {
  dialogs::Notify(u"a", 0);
  dialogs::RequestFile(u"Open", u"", 0, u"x.txt");
  dialogs::RequestDir(u"Folder", u"");
  EXPECT_EQ(fake.CallsStartingWith("SetFocus"),
            (std::vector<std::string>{"SetFocus(0x301)", "SetFocus(0x301)", "SetFocus(0x301)"}));

  // With no focus window before, there is nothing to give back.
  fake.ClearCalls();
  fake.SetFocusWindow(0);
  dialogs::Confirm(u"a", 0);
  EXPECT_EQ(fake.CountCalls("SetFocus"), 0);
}

TEST(FileTypeFilter, GroupsBecomeNamePatternPairs) {
  EXPECT_EQ(dialogs::FileTypeFilter(u""), Filter{});
  EXPECT_EQ(dialogs::FileTypeFilter(u"Images:png,jpg"), (Filter{{u"Images", u"*.png;*.jpg"}}));
  EXPECT_EQ(dialogs::FileTypeFilter(u"Images:png,jpg;Text:txt"),
            (Filter{{u"Images", u"*.png;*.jpg"}, {u"Text", u"*.txt"}}));
  EXPECT_EQ(dialogs::FileTypeFilter(u"png,jpg,gif"), (Filter{{u"Files", u"*.png;*.jpg;*.gif"}}));
  EXPECT_EQ(dialogs::FileTypeFilter(u"bmp"), (Filter{{u"Files", u"*.bmp"}}));
  // A trailing name without extensions matches nothing and is left out.
  EXPECT_EQ(dialogs::FileTypeFilter(u"Images:png;All"), (Filter{{u"Images", u"*.png"}}));
}

TEST(NaturalFilterIndex, GroupListingTheProposedExtension) {
  const Filter filter = {{u"Images", u"*.png;*.jpg"}, {u"Text", u"*.txt;*.md"}};
  EXPECT_EQ(dialogs::NaturalFilterIndex(filter, u"notes.md"), 2);
  EXPECT_EQ(dialogs::NaturalFilterIndex(filter, u"photo.JPG"), 1);
  EXPECT_EQ(dialogs::NaturalFilterIndex(filter, u"archive.tar.txt"), 2);
  EXPECT_EQ(dialogs::NaturalFilterIndex(filter, u"song.ogg"), 1);
  EXPECT_EQ(dialogs::NaturalFilterIndex(filter, u"README"), 1);
  EXPECT_EQ(dialogs::NaturalFilterIndex(filter, u"dot."), 1);
  // "*.m" must not match inside "*.md".
  EXPECT_EQ(dialogs::NaturalFilterIndex(filter, u"code.m"), 1);
  EXPECT_EQ(dialogs::NaturalFilterIndex({}, u"a.png"), 0);
}

TEST_F(DialogsTest, RequestFileSplitsPathAndPicksDialog) {
  fake.SetDialogAnswer(u"/home/user/pictures/new.png");
  EXPECT_EQ(dialogs::RequestFile(u"Save picture", u"Text:txt;Images:png,jpg", 1,
                                 u"/home/user/pictures/old.png"),
            u"/home/user/pictures/new.png");
  EXPECT_EQ(dialogs::RequestFile(u"Open", u"", 0, u"plain.txt"), u"/home/user/pictures/new.png");
  EXPECT_EQ(dialogs::RequestFile(u"Open", u"", 0, u"/top.txt"), u"/home/user/pictures/new.png");
  EXPECT_EQ(fake.CountCalls("GetSaveFileName(Save picture)"), 1);
  EXPECT_EQ(fake.CountCalls("GetOpenFileName(Open)"), 2);

  ASSERT_EQ(fake.FileDialogs().size(), 3u);
  const auto& save = fake.FileDialogs()[0];
  EXPECT_TRUE(save.save);
  EXPECT_EQ(save.owner, 0x300u);
  EXPECT_EQ(save.title, u"Save picture");
  EXPECT_EQ(save.initial_dir, u"/home/user/pictures");
  EXPECT_EQ(save.file_name, u"old.png");
  EXPECT_EQ(save.filter, (Filter{{u"Text", u"*.txt"}, {u"Images", u"*.png;*.jpg"}}));
  EXPECT_EQ(save.filter_index, 2);

  const auto& plain = fake.FileDialogs()[1];
  EXPECT_FALSE(plain.save);
  EXPECT_EQ(plain.initial_dir, u"");  // no folder: the whole path is the name
  EXPECT_EQ(plain.file_name, u"plain.txt");
  EXPECT_TRUE(plain.filter.empty());
  EXPECT_EQ(plain.filter_index, 0);

  const auto& top = fake.FileDialogs()[2];
  EXPECT_EQ(top.initial_dir, u"/");
  EXPECT_EQ(top.file_name, u"top.txt");
}

TEST_F(DialogsTest, CancelledRequestersGiveEmptyText) {
  fake.SetDialogAnswer(u"");
  EXPECT_EQ(dialogs::RequestFile(u"Open", u"png", 0, u""), u"");
  EXPECT_EQ(dialogs::RequestDir(u"Folder", u"pictures"), u"");
}

TEST_F(DialogsTest, RequestDirSelectsTheFullPath) {
  fake.SetCurrentDirectoryText(u"/home/user");
  fake.SetDialogAnswer(u"/home/user/pictures/2026");
  EXPECT_EQ(dialogs::RequestDir(u"Pick a folder", u"pictures"), u"/home/user/pictures/2026");
  dialogs::RequestDir(u"No start", u"");
  ASSERT_EQ(fake.FolderDialogs().size(), 2u);
  EXPECT_EQ(fake.FolderDialogs()[0].title, u"Pick a folder");
  EXPECT_EQ(fake.FolderDialogs()[0].owner, 0x300u);
  EXPECT_EQ(fake.FolderDialogs()[0].initial_path, u"/home/user/pictures");
  EXPECT_EQ(fake.FolderDialogs()[1].initial_path, u"");
}

TEST_F(DialogsTest, OpenUrlSucceedsAboveThirtyTwo) {
  const std::pair<std::intptr_t, int> cases[] = {{33, 1}, {42, 1}, {32, 0}, {2, 0}, {0, 0}};
  for (const auto& [shell, result] : cases) {
    fake.SetShellResult(shell);
    EXPECT_EQ(dialogs::OpenURL(u"http://example.org"), result) << shell;
  }
  EXPECT_EQ(fake.OpenedUrls().back(), u"http://example.org");
}

TEST_F(DialogsTest, CompleteUrl) {
  fake.SetCurrentDirectoryText(u"/home/user");
  fake.AddExistingPath(u"/home/user/docs/index.html");
  fake.AddExistingPath(u"/srv/www");
  struct Case {
    const char16_t* url;
    const char16_t* completed;
  };
  const Case cases[] = {
      {u"http://example.org/a#b", u"http://example.org/a#b"},
      {u"HTTPS://example.org", u"HTTPS://example.org"},
      {u"File:/etc/hosts", u"File:/etc/hosts"},
      {u"docs/index.html", u"file:/home/user/docs/index.html"},
      {u"docs/index.html#intro", u"file:/home/user/docs/index.html#intro"},
      {u"/srv/www", u"file:/srv/www"},
      {u"example.org/page", u"http:example.org/page"},
      {u"example.org/page#top#x", u"http:example.org/page#top#x"},
      {u"https", u"http:https"},  // too short to be a scheme
  };
  for (const auto& c : cases) EXPECT_EQ(dialogs::CompleteURL(c.url), Text(c.completed)) << ToUtf8(c.url);
}

// Whether text has the shape of form: '9' any digit, 'A' an upper-case and
// 'a' a lower-case letter, anything else itself.
bool Shaped(const std::string& text, const std::string& form) {
  if (text.size() != form.size()) return false;
  for (std::size_t i = 0; i < form.size(); ++i) {
    const char c = text[i];
    const bool ok = form[i] == '9'   ? (c >= '0' && c <= '9')
                    : form[i] == 'A' ? (c >= 'A' && c <= 'Z')
                    : form[i] == 'a' ? (c >= 'a' && c <= 'z')
                                     : c == form[i];
    if (!ok) return false;
  }
  return true;
}

TEST_F(DialogsTest, DateTimeAndDesktopMetrics) {
  const std::string date = ToUtf8(CurrentDateText());
  const std::string time = ToUtf8(CurrentTimeText());
  EXPECT_TRUE(Shaped(date, "99 Aaa 9999")) << date;
  EXPECT_TRUE(Shaped(time, "99:99:99")) << time;

  fake.SetDeviceCaps(platform::kHorzRes, 2560);
  fake.SetDeviceCaps(platform::kVertRes, 1440);
  fake.SetDeviceCaps(platform::kBitsPixel, 24);
  fake.SetDeviceCaps(platform::kVRefresh, 144);
  EXPECT_EQ(DesktopPixelWidth(), 2560);
  EXPECT_EQ(DesktopPixelHeight(), 1440);
  EXPECT_EQ(DesktopBitDepth(), 24);
  EXPECT_EQ(DesktopRefreshRate(), 144);
}

}  // namespace
