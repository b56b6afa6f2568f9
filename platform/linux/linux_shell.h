// File and folder requesters and URL opening on Linux desktops, through the
// desktop's helper programs (kdialog on KDE, zenity elsewhere, xdg-open).
// Called by LinuxPlatform's GetOpenFileName/GetSaveFileName,
// BrowseForFolder and ShellExecute. No text passes through a shell: helpers
// are found on the absolute PATH entries only, started with an argument
// vector in which no caller text starts an argument with "-", keep nothing
// of the host's open descriptors but standard error, and answer through a
// pipe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace platform::linux_shell {

// The open dialog, or the save dialog (confirming overwrites) when
// request.save. True with the chosen path, false when cancelled or when no
// helper program is installed.
bool OpenFileDialog(const FileDialog& request, std::u16string& chosen);
bool BrowseForFolder(const FolderDialog& request, std::u16string& chosen);
// The chosen path from a requester helper's exit status and output: all of
// the output but the one newline the helper ends it with (a file name may
// hold newlines itself), bytes that are not UTF-8 kept (FromSystemBytes).
// False, leaving chosen alone, when the helper failed or was cancelled
// (status not 0), answered nothing, or answered with a NUL, which no file
// name holds.
bool ChosenPath(int status, std::string_view output, std::u16string& chosen);
// Runs xdg-open on url and waits for it: 33 when it exits with status 0,
// 2 when it reports that the file does not exist (status 2), else 0.
std::intptr_t OpenUrl(const std::u16string& url);

}  // namespace platform::linux_shell
