// The program entry's fatal ends on Windows, under Wine: a child program on
// the native platform faults or raises, and the test reads what a user
// would see: the box (its caption and text, closed here with its button),
// the first line on standard error, and the exit status.
#include <gtest/gtest.h>

#include <string>

#include "tests/windows_child_process.h"

namespace {

struct Outcome {
  DWORD status = 0;
  std::string standard_error;
  std::wstring box_text;  // the fatal box's text; empty when none showed
  int boxes = 0;
};

BOOL CALLBACK CollectStaticText(HWND child, LPARAM parameter) {
  wchar_t kind[32] = {};
  wchar_t text[256] = {};
  ::GetClassNameW(child, kind, 32);
  ::GetWindowTextW(child, text, 256);
  if (std::wstring(kind) == L"Static" && text[0] != L'\0') {
    *reinterpret_cast<std::wstring*>(parameter) = text;
  }
  return TRUE;
}

// Runs the fatal program; every "Windows exception" box it shows is read
// and closed with its OK button.
Outcome RunFatal(const char* how) {
  Outcome outcome;
  HWND closing = nullptr;
  const windows_child::Outcome child =
      windows_child::Run(std::string("\"") + WIN32_FATAL_PROGRAM + "\" " + how, [&] {
        const HWND box = ::FindWindowW(L"#32770", L"Windows exception");
        if (box == nullptr || box == closing || !::IsWindowVisible(box)) return;
        ::EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&outcome.box_text));
        ++outcome.boxes;
        closing = box;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      });
  outcome.status = child.status;
  outcome.standard_error = child.standard_error;
  return outcome;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(ProgramEntryOnWindows, AccessViolationIsNamedOnStandardErrorFirstThenInTheBox) {
  const Outcome outcome = RunFatal("access");
  EXPECT_EQ(FirstLine(outcome.standard_error), "Windows exception: EXCEPTION_ACCESS_VIOLATION");
  EXPECT_EQ(outcome.boxes, 1);
  EXPECT_EQ(outcome.box_text, L"EXCEPTION_ACCESS_VIOLATION");
  EXPECT_NE(outcome.standard_error.find("at-exit handler ran"), std::string::npos);
  EXPECT_EQ(outcome.status, 255u);
}

TEST(ProgramEntryOnWindows, TwoThreadsFaultingAtOnceGiveOneReportAndOneStatus) {
  const Outcome outcome = RunFatal("two-threads");
  EXPECT_EQ(outcome.standard_error,
            "Windows exception: EXCEPTION_ACCESS_VIOLATION\nat-exit handler ran\n");
  EXPECT_EQ(outcome.boxes, 1);
  EXPECT_EQ(outcome.status, 255u);
}

TEST(ProgramEntryOnWindows, UnhandledErrorWritesItsTextAndEndsWith255WithoutABox) {
  const Outcome outcome = RunFatal("raise");
  EXPECT_EQ(FirstLine(outcome.standard_error), "Too many hook ids");
  EXPECT_EQ(outcome.boxes, 0);
  EXPECT_EQ(outcome.status, 255u);
}

TEST(ProgramEntryOnWindows, ArgumentsArriveWholeAlsoWhereTheAnsiCodePageLacksTheirCharacters) {
  // U+00E9, U+2713 and U+1D11E (a surrogate pair): argv in the ANSI code
  // page turns at least the last two into "?".
  const windows_child::Outcome child = windows_child::Run(
      std::string("\"") + WIN32_FATAL_PROGRAM + "\" arguments caf\u00e9 \"\u2713 \U0001D11E\"");
  EXPECT_EQ(child.standard_error.substr(child.standard_error.find('\n') + 1),
            "arguments\ncaf\u00e9\n\u2713 \U0001D11E\nat-exit handler ran\n");
  EXPECT_EQ(child.status, 0u);
}

}  // namespace
