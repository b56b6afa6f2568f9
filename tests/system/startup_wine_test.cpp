// The program entry's fatal ends on Windows, under Wine: a child program on
// the native platform faults or raises, and the test reads what a user
// would see: the box (its caption and text, closed here with its button),
// the first line on standard error, and the exit status.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
// clang-format on

#include <chrono>
#include <string>
#include <thread>

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
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, &inherit, 0)) return outcome;
  ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = write_end;
  startup.hStdOutput = write_end;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  std::string command = std::string("\"") + WIN32_FATAL_PROGRAM + "\" " + how;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
    ::CloseHandle(write_end);
    ::CloseHandle(read_end);
    return outcome;
  }
  ::CloseHandle(write_end);
  std::thread reader([&] {
    char buffer[256];
    DWORD got = 0;
    while (::ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      outcome.standard_error.append(buffer, got);
    }
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (::WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT &&
         std::chrono::steady_clock::now() < deadline) {
    const HWND box = ::FindWindowW(L"#32770", L"Windows exception");
    if (box == nullptr || !::IsWindowVisible(box)) continue;
    ::EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&outcome.box_text));
    ++outcome.boxes;
    ::SendMessageW(box, WM_COMMAND, IDOK, 0);
    while (::IsWindow(box) && std::chrono::steady_clock::now() < deadline) ::Sleep(10);
  }
  ::TerminateProcess(process.hProcess, 99);  // only if it outlived the deadline
  ::WaitForSingleObject(process.hProcess, INFINITE);
  ::GetExitCodeProcess(process.hProcess, &outcome.status);
  reader.join();
  // Standard error is in text mode: the C library ends its lines with CR LF.
  std::erase(outcome.standard_error, '\r');
  ::CloseHandle(read_end);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
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

}  // namespace
