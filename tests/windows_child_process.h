// Runs a Windows program as a child process for the Windows tests under
// Wine, and collects its standard error (with its standard output) and its
// exit status. The output is read while the child runs and after it ends,
// never waited for to close: a process Wine starts on the child's behalf
// (its desktop, explorer.exe) may inherit the pipe and hold it open.
#pragma once

// clang-format off
#include <windows.h>
// clang-format on

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>

namespace windows_child {

struct Outcome {
  bool started = false;
  DWORD status = 0;
  std::string standard_error;  // line ends as LF (the C library writes CR LF)
};

inline void ReadAvailable(HANDLE pipe, std::string& out) {
  DWORD available = 0;
  while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    char buffer[512];
    DWORD got = 0;
    if (!::ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) ||
        got == 0) {
      return;
    }
    out.append(buffer, got);
  }
}

// Runs command line (UTF-8, started as UTF-16 so every character reaches
// the child); while the child runs, while_running is called every 20 ms. A
// child still running after timeout is ended (status 99).
inline Outcome Run(const std::string& command, const std::function<void()>& while_running = {},
                   std::chrono::seconds timeout = std::chrono::seconds(30)) {
  Outcome outcome;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, &inherit, 0)) return outcome;
  ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  std::wstring wide(command.size() + 1, L'\0');
  wide.resize(static_cast<std::size_t>(
      ::MultiByteToWideChar(CP_UTF8, 0, command.data(), static_cast<int>(command.size()),
                            wide.data(), static_cast<int>(wide.size()))));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = write_end;
  startup.hStdOutput = write_end;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  outcome.started = ::CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                     nullptr, &startup, &process) != FALSE;
  ::CloseHandle(write_end);
  if (outcome.started) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (::WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
      ReadAvailable(read_end, outcome.standard_error);
      if (while_running) while_running();
      if (std::chrono::steady_clock::now() >= deadline) ::TerminateProcess(process.hProcess, 99);
    }
    ReadAvailable(read_end, outcome.standard_error);
    ::GetExitCodeProcess(process.hProcess, &outcome.status);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  }
  ::CloseHandle(read_end);
  std::erase(outcome.standard_error, '\r');
  return outcome;
}

}  // namespace windows_child
