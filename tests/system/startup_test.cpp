#include "system/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "system/deferred_calls.h"

namespace {

class RuntimeStartupTest : public testing::Test {
 protected:
  void SetUp() override { platform::Install(fake); }
  platform::FakePlatform fake;
};

TEST(ApplicationDirectoryOf, FolderPartKeepsDriveRootSlash) {
  const std::pair<Text, Text> cases[] = {{u"/opt/vuble/bin/program", u"/opt/vuble/bin"},
                                         {u"C:/toy.exe", u"C:/"},
                                         {u"/program", u""},
                                         {u"program", u""},
                                         {u"", u""},
                                         {u"a/b/", u"a/b"}};
  for (const auto& [file, folder] : cases)
    EXPECT_EQ(ApplicationDirectoryOf(file), folder) << ToUtf8(file);
}

TEST_F(RuntimeStartupTest, FillsGlobalsAndMovesToProgramFolder) {
  fake.SetModuleFileName(u"C:\\Games\\Toy\\toy.exe");
  fake.SetCurrentDirectoryText(u"D:\\work\\launch");
  fake.SetMainThread(77);
  ApplicationTitle = u"Left over";
  // The last argument is not UTF-8 (a file name in Latin-1): its bytes are kept.
  const char* argv[] = {"toy", "--size", "m\xC3\xBC", "caf\xE9"};
  RuntimeStartup(4, argv);

  EXPECT_EQ(LaunchDirectory, u"D:/work/launch");
  EXPECT_EQ(ApplicationFile, u"C:/Games/Toy/toy.exe");
  EXPECT_EQ(ApplicationDirectory, u"C:/Games/Toy");
  EXPECT_EQ(fake.GetCurrentDirectory(), u"C:/Games/Toy");
  EXPECT_EQ(ApplicationTitle, u"Quillon Application");
  EXPECT_EQ(ApplicationArguments, (std::vector<Text>{u"toy", u"--size", u"m\u00FC", u"caf\xDCE9"}));
  EXPECT_EQ(ToSystemBytes(ApplicationArguments[3]), "caf\xE9");
  EXPECT_EQ(MainThreadId, 77u);
  EXPECT_EQ(MainThreadForDeferredCalls(), 77u);
}

TEST_F(RuntimeStartupTest, FailedDirectoryChangeIsIgnored) {
  fake.Fail("SetCurrentDirectory");
  const char* argv[] = {"toy"};
  RuntimeStartup(1, argv);
  EXPECT_EQ(fake.CountCalls("SetCurrentDirectory(/opt/vuble/bin)"), 1);
  EXPECT_EQ(ApplicationArguments, std::vector<Text>{u"toy"});
  EXPECT_EQ(LaunchDirectory, u"/home/user");
}

TEST(FatalExceptionName, EveryCodeOfTheTableAndUnknownOnes) {
  const std::pair<std::uint32_t, const char*> cases[] = {
      {0x80000002u, "EXCEPTION_DATATYPE_MISALIGNMENT"},
      {0x80000003u, "EXCEPTION_BREAKPOINT"},
      {0x80000004u, "EXCEPTION_SINGLE_STEP"},
      {0xC0000005u, "EXCEPTION_ACCESS_VIOLATION"},
      {0xC0000006u, "EXCEPTION_IN_PAGE_ERROR"},
      {0xC000001Du, "EXCEPTION_ILLEGAL_INSTRUCTION"},
      {0xC0000025u, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
      {0xC0000026u, "EXCEPTION_INVALID_DISPOSITION"},
      {0xC000008Cu, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
      {0xC000008Du, "EXCEPTION_FLT_DENORMAL_OPERAND"},
      {0xC000008Eu, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
      {0xC000008Fu, "EXCEPTION_FLT_INEXACT_RESULT"},
      {0xC0000090u, "EXCEPTION_FLT_INVALID_OPERATION"},
      {0xC0000091u, "EXCEPTION_FLT_OVERFLOW"},
      {0xC0000092u, "EXCEPTION_FLT_STACK_CHECK"},
      {0xC0000093u, "EXCEPTION_FLT_UNDERFLOW"},
      {0xC0000094u, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
      {0xC0000095u, "EXCEPTION_INT_OVERFLOW"},
      {0xC0000096u, "EXCEPTION_PRIV_INSTRUCTION"},
      {0xC00000FDu, "EXCEPTION_STACK_OVERFLOW"},
      {0u, "EXCEPTION_UNKNOWN"},
      {0xC00000FCu, "EXCEPTION_UNKNOWN"},
      {0xFFFFFFFFu, "EXCEPTION_UNKNOWN"}};
  for (const auto& [code, name] : cases)
    EXPECT_STREQ(FatalExceptionName(code), name) << std::hex << code;
}

TEST_F(RuntimeStartupTest, FatalBoxNamesTheExceptionOverTheActiveWindow) {
  fake.SetActiveWindow(0x4242);
  EXPECT_TRUE(ShowFatalExceptionBox(0xC0000094u));
  fake.Fail("MessageBox");
  EXPECT_FALSE(ShowFatalExceptionBox(0x12345678u));
  ASSERT_EQ(fake.MessageBoxes().size(), 2u);
  const auto& box = fake.MessageBoxes()[0];
  EXPECT_EQ(box.owner, 0x4242u);
  EXPECT_EQ(box.text, u"EXCEPTION_INT_DIVIDE_BY_ZERO");
  EXPECT_EQ(box.caption, u"Windows exception");
  EXPECT_EQ(box.style, 0u);
  EXPECT_EQ(fake.MessageBoxes()[1].text, u"EXCEPTION_UNKNOWN");
}

}  // namespace
