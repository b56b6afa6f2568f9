#include "system/dialogs.h"

#include <gtest/gtest.h>

#include <cstdio>
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
    int (*operation)(const Text&, int);
    int serious, pressed;
    std::uint32_t style;
    int result;
  };
  const Case cases[] = {
      {dialogs::Notify, 1, platform::IDOK, 0x40030, 0},
      {dialogs::Notify, 0, platform::IDOK, 0x40040, 0},
      {dialogs::Confirm, 7, platform::IDOK, 0x40031, 1},
      {dialogs::Confirm, 0, platform::IDCANCEL, 0x40041, 0},
      {dialogs::Confirm, 0, 0, 0x40041, 0},  // no box could be shown
      {dialogs::Proceed, 1, platform::IDYES, 0x40033, 1},
      {dialogs::Proceed, 0, platform::IDNO, 0x40043, 0},
      {dialogs::Proceed, 0, platform::IDCANCEL, 0x40043, -1},
      {dialogs::Proceed, 0, 0, 0x40043, -1},
  };
  for (const auto& c : cases) {
    fake.SetMessageBoxResult(c.pressed);
    EXPECT_EQ(c.operation(u"Saved", c.serious), c.result) << std::hex << c.style;
    const auto& box = fake.MessageBoxes().back();
    EXPECT_EQ(box.style, c.style);
    EXPECT_EQ(box.caption, u"Vuble Toy");
    EXPECT_EQ(box.owner, 0x300u);
    EXPECT_EQ(box.text, u"Saved");
  }
}

TEST_F(DialogsTest, FocusIsGivenBackAfterBoxesAndRequesters) {
  dialogs::Notify(u"a", 0);
  dialogs::RequestFile(u"Open", u"", 0, u"x.txt");
  dialogs::RequestDir(u"Folder", u"");
  EXPECT_EQ(fake.CountCalls("SetFocus(0x301)"), 3);
  // With no focus window before, there is nothing to give back.
  fake.SetFocusWindow(0);
  dialogs::Confirm(u"a", 0);
  EXPECT_EQ(fake.CountCalls("SetFocus"), 3);
}

TEST(FileTypeFilter, GroupsBecomeNamePatternPairs) {
  EXPECT_EQ(dialogs::FileTypeFilter(u""), Filter{});
  EXPECT_EQ(dialogs::FileTypeFilter(u"Images:png,jpg;Text:txt"),
            (Filter{{u"Images", u"*.png;*.jpg"}, {u"Text", u"*.txt"}}));
  EXPECT_EQ(dialogs::FileTypeFilter(u"png,jpg,gif"), (Filter{{u"Files", u"*.png;*.jpg;*.gif"}}));
  // A trailing name without extensions matches nothing and is left out.
  EXPECT_EQ(dialogs::FileTypeFilter(u"Images:png;All"), (Filter{{u"Images", u"*.png"}}));
  // A NUL or "|" in the text stays inside its group (the platform refuses
  // a NUL); it never starts a group of its own.
  EXPECT_EQ(dialogs::FileTypeFilter(std::u16string(u"Images:png\0exe;Text:txt", 23)),
            (Filter{{u"Images", std::u16string(u"*.png\0exe", 9)}, {u"Text", u"*.txt"}}));
  EXPECT_EQ(dialogs::FileTypeFilter(std::u16string(u"A|B\0C:png", 9)),
            (Filter{{std::u16string(u"A|B\0C", 5), u"*.png"}}));
}

TEST(NaturalFilterIndex, GroupListingTheProposedExtension) {
  const Filter filter = {{u"Images", u"*.png;*.jpg"}, {u"Text", u"*.txt;*.md"}};
  EXPECT_EQ(dialogs::NaturalFilterIndex(filter, u"notes.md"), 2);
  EXPECT_EQ(dialogs::NaturalFilterIndex(filter, u"photo.JPG"), 1);
  EXPECT_EQ(dialogs::NaturalFilterIndex(filter, u"archive.tar.txt"), 2);
  EXPECT_EQ(dialogs::NaturalFilterIndex(filter, u"code.m"), 1);  // not inside "*.md"
  EXPECT_EQ(dialogs::NaturalFilterIndex(filter, u"README"), 1);
  EXPECT_EQ(dialogs::NaturalFilterIndex({}, u"a.png"), 0);
}

TEST_F(DialogsTest, RequestFileSplitsPathAndPicksDialog) {
  fake.SetDialogAnswer(u"/home/user/pictures/new.png");
  EXPECT_EQ(dialogs::RequestFile(u"Save picture", u"Text:txt;Images:png,jpg", 1,
                                 u"/home/user/pictures/old.png"),
            u"/home/user/pictures/new.png");
  dialogs::RequestFile(u"Open", u"", 0, u"plain.txt");
  dialogs::RequestFile(u"Open", u"", 0, u"/top.txt");
  EXPECT_EQ(fake.CountCalls("GetSaveFileName(Save picture)"), 1);
  EXPECT_EQ(fake.CountCalls("GetOpenFileName(Open)"), 2);

  ASSERT_EQ(fake.FileDialogs().size(), 3u);
  const auto& save = fake.FileDialogs()[0];
  EXPECT_TRUE(save.save);
  EXPECT_EQ(save.owner, 0x300u);
  EXPECT_EQ(save.initial_dir, u"/home/user/pictures");
  EXPECT_EQ(save.file_name, u"old.png");
  EXPECT_EQ(save.filter, (Filter{{u"Text", u"*.txt"}, {u"Images", u"*.png;*.jpg"}}));
  EXPECT_EQ(save.filter_index, 2);
  const auto& plain = fake.FileDialogs()[1];
  EXPECT_FALSE(plain.save);
  EXPECT_EQ(plain.initial_dir, u"");  // no folder: the whole path is the name
  EXPECT_EQ(plain.file_name, u"plain.txt");
  EXPECT_EQ(plain.filter_index, 0);
  EXPECT_EQ(fake.FileDialogs()[2].initial_dir, u"/");
  EXPECT_EQ(fake.FileDialogs()[2].file_name, u"top.txt");

  fake.SetDialogAnswer(u"");  // cancelled
  EXPECT_EQ(dialogs::RequestFile(u"Open", u"png", 0, u""), u"");
}

// Where the platform separates folders with "\", every "/" becomes one
// before the path is split, and the split is at the last "\".
TEST_F(DialogsTest, RequestersTakeThePlatformSeparator) {
  fake.SetPathSeparator(u'\\');
  dialogs::RequestFile(u"Open", u"", 0, u"C:/games\\toy/save.dat");
  ASSERT_EQ(fake.FileDialogs().size(), 1u);
  EXPECT_EQ(fake.FileDialogs()[0].initial_dir, u"C:\\games\\toy");
  EXPECT_EQ(fake.FileDialogs()[0].file_name, u"save.dat");
  dialogs::RequestDir(u"Pick", u"/saves/toy");
  ASSERT_EQ(fake.FolderDialogs().size(), 1u);
  EXPECT_EQ(fake.FolderDialogs()[0].initial_path, u"\\saves\\toy");
}

TEST_F(DialogsTest, RequestDirSelectsTheFullPath) {
  fake.SetDialogAnswer(u"/home/user/pictures/2026");
  EXPECT_EQ(dialogs::RequestDir(u"Pick a folder", u"pictures"), u"/home/user/pictures/2026");
  dialogs::RequestDir(u"No start", u"");
  fake.SetDialogAnswer(u"");
  EXPECT_EQ(dialogs::RequestDir(u"Cancelled", u""), u"");
  ASSERT_EQ(fake.FolderDialogs().size(), 3u);
  EXPECT_EQ(fake.FolderDialogs()[0].owner, 0x300u);
  EXPECT_EQ(fake.FolderDialogs()[0].initial_path, u"/home/user/pictures");
  EXPECT_EQ(fake.FolderDialogs()[1].initial_path, u"");
}

TEST_F(DialogsTest, OpenUrlSucceedsAboveThirtyTwo) {
  fake.SetShellResult(33);
  EXPECT_EQ(dialogs::OpenURL(u"http://example.org"), 1);
  fake.SetShellResult(32);
  EXPECT_EQ(dialogs::OpenURL(u"http://example.org"), 0);
  EXPECT_EQ(fake.OpenedUrls().back(), u"http://example.org");
}

TEST_F(DialogsTest, CompleteUrl) {
  fake.AddExistingPath(u"/home/user/docs/index.html");
  fake.AddExistingPath(u"/srv/www");
  const std::pair<Text, Text> cases[] = {
      {u"http://example.org/a#b", u"http://example.org/a#b"},
      {u"HTTPS://example.org", u"HTTPS://example.org"},
      {u"File:/etc/hosts", u"File:/etc/hosts"},
      {u"docs/index.html#intro", u"file:/home/user/docs/index.html#intro"},
      {u"/srv/www", u"file:/srv/www"},
      {u"example.org/page#top#x", u"http:example.org/page#top#x"},
      {u"https", u"http:https"},  // too short to be a scheme
  };
  for (const auto& [url, completed] : cases)
    EXPECT_EQ(dialogs::CompleteURL(url), completed) << ToUtf8(url);
}

TEST_F(DialogsTest, DateTimeAndDesktopMetrics) {
  int day = 0, year = 0, hour = 0, minute = 0, second = 0;
  char month[4] = {};
  const std::string date = ToUtf8(CurrentDateText());
  EXPECT_EQ(date.size(), 11u) << date;
  EXPECT_EQ(std::sscanf(date.c_str(), "%2d %3s %4d", &day, month, &year), 3) << date;
  const std::string time = ToUtf8(CurrentTimeText());
  EXPECT_EQ(time.size(), 8u) << time;
  EXPECT_EQ(std::sscanf(time.c_str(), "%2d:%2d:%2d", &hour, &minute, &second), 3) << time;

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
