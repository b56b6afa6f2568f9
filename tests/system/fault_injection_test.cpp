// Platform faults met by the system driver's front end: message boxes that
// cannot be shown, and requester and URL tools that are missing. Runs
// through the fake platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "system/startup.h"
#include "tests/system/system_test_fixture.h"

namespace {

// A platform whose requester and desktop-opening tools are not installed:
// each dialog reports failure, leaving whatever the broken tool wrote in the
// answer, and opening a URL gives a shell error code.
class MissingToolsPlatform : public platform::FakePlatform {
 public:
  bool GetOpenFileName(const platform::FileDialog& request, std::u16string& chosen) override {
    FakePlatform::GetOpenFileName(request, chosen);
    chosen = u"sh: zenity: not found";
    return false;
  }
  bool GetSaveFileName(const platform::FileDialog& request, std::u16string& chosen) override {
    FakePlatform::GetSaveFileName(request, chosen);
    chosen = u"sh: zenity: not found";
    return false;
  }
  bool BrowseForFolder(const platform::FolderDialog& request, std::u16string& chosen) override {
    FakePlatform::BrowseForFolder(request, chosen);
    chosen = u"/partial";
    return false;
  }
  std::intptr_t ShellExecute(const std::u16string& url) override {
    FakePlatform::ShellExecute(url);
    return 2;  // file not found
  }
};

using MessageBoxFaults = test_support::SystemTest;
using MissingTools = test_support::BasicSystemTest<MissingToolsPlatform>;

TEST_F(MessageBoxFaults, BoxThatCannotBeShownGivesTheNegativeAnswers) {
  ApplicationTitle = u"Vuble Toy";
  fake.SetActiveWindow(window);
  fake.Fail("MessageBox");
  EXPECT_NO_THROW(Notify(u"Saved", 0));
  EXPECT_EQ(Confirm(u"Quit?", 0), 0);
  EXPECT_EQ(Proceed(u"Save first?", 1), -1);
  EXPECT_EQ(fake.CountCalls("MessageBox"), 3);
  // The failure is not remembered: the next box is answered normally.
  fake.Succeed("MessageBox");
  fake.SetMessageBoxResult(platform::IDYES);
  EXPECT_EQ(Proceed(u"Save first?", 1), 1);
}

TEST_F(MissingTools, RequestersGiveEmptyTextAndUrlsZero) {
  fake.SetDialogAnswer(u"/home/user/picture.png");
  EXPECT_EQ(RequestFile(u"Open", u"Images:png", 0, u"a.png"), u"");
  EXPECT_EQ(RequestFile(u"Save", u"png", 1, u""), u"");
  EXPECT_EQ(RequestDir(u"Folder", u"/home"), u"");
  EXPECT_EQ(fake.FileDialogs().size(), 2u);
  EXPECT_EQ(fake.FolderDialogs().size(), 1u);
  EXPECT_EQ(OpenURL(u"https://example.org/"), 0);
  EXPECT_EQ(OpenURL(u"example.org"), 0);
  EXPECT_EQ(fake.OpenedUrls(),
            (std::vector<std::u16string>{u"https://example.org/", u"http:example.org"}));
}

using PointerFaults = test_support::SystemTest;

TEST_F(PointerFaults, PlacingThePointerAtTheEdgesOfTheRangeWraps) {
  // The client area starts at screen (103, 126); the sum wraps in 32 bits
  // like the window system's own, instead of overflowing.
  fake.SetActiveWindow(window);
  PlacePointer(2147483647, -2147483647 - 1);
  EXPECT_EQ(fake.CallsStartingWith("SetCursorPos"),
            std::vector<std::string>{"SetCursorPos(-2147483546,-2147483522)"});
}

}  // namespace
