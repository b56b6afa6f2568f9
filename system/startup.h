// The application globals, the runtime start-up that fills them, and the
// program entry with its handling of fatal errors (an unhandled raised error,
// a fatal platform exception). app/main.cpp calls RunProgram; every layer may
// read the globals, and the program sets ApplicationTitle.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "support/text.h"

// "Quillon Application" until the program assigns another title. Caption of
// message boxes and title of the graphics window.
extern Text ApplicationTitle;
// The current directory when the process started, "\" turned into "/".
extern Text LaunchDirectory;
// The executable's full path, "\" turned into "/".
extern Text ApplicationFile;
// The folder part of ApplicationFile (a drive root keeps its "/": "C:/").
extern Text ApplicationDirectory;
// The command-line arguments, the program's own name first. A byte that is
// not part of valid UTF-8 (a file name in another encoding) is kept as
// U+DC80 + byte; ToSystemBytes gives the argument back as it came.
extern std::vector<Text> ApplicationArguments;
// The exit status of a process ended by an unhandled error or a fatal
// platform exception: -1 as the 8-bit status every system reports.
inline constexpr int kFatalExitStatus = platform::kFatalExitStatus;

// Writes text and a line end to standard error and ends the process with
// kFatalExitStatus, at-exit handlers first: how RunProgram ends on an error
// it catches, and how a layer ends on a failure it cannot go on from.
[[noreturn]] void EndWithFatalError(const Text& text);

// The thread that ran the runtime start-up.
extern platform::ThreadId MainThreadId;
// 1: texts go to the platform as UTF-16. The seam always takes UTF-16, so the
// start-up sets it.
extern int WideCharacterFlag;

// The folder part of a path whose separators are already "/": the characters
// before the last "/", up to and including it when a ":" precedes it; empty
// when there is no "/" after the first character.
Text ApplicationDirectoryOf(const Text& file);

// Fills the globals from the platform and the argument vector, then makes
// ApplicationDirectory the current directory (a failure is ignored: relative
// paths then resolve against the launch folder).
void RuntimeStartup(int argc, const char* const* argv);

// The process entry. Installs the fatal-exception handling, runs the runtime
// start-up, runs program. An error that escapes
// program has its text written to standard error and ends the process with
// status -1 (255) through std::exit. Returns 0 when program returns, for main
// to return. The platform must be installed before this is called; without
// one the process ends so too, the text naming the call to make.
int RunProgram(int argc, char** argv, void (*program)());

// The standard name of a platform exception code; "EXCEPTION_UNKNOWN" for a
// code not in the table. Async-signal-safe.
const char* FatalExceptionName(std::uint32_t code);

// The first line of the report of a fatal platform exception: "Windows
// exception: NAME" and a newline on standard error (async-signal-safe).
void WriteFatalExceptionLine(std::uint32_t code);
// The box: the name as its text, captioned "Windows exception", one OK
// button (style 0), owned by the active window. False when no box could be
// shown (no display, or no platform installed).
bool ShowFatalExceptionBox(std::uint32_t code);

// Installed as the platform's filter of unhandled exceptions: reports the
// exception and ends the process with status -1 (255) through the at-exit
// handlers.
[[noreturn]] void FatalExceptionFilter(std::uint32_t code);
