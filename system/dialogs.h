// Message boxes, file and folder requesters, URL opening and completion, the
// date and time texts and the desktop metrics, all through the platform seam.
// TWin32SystemDriver forwards its Notify/Confirm/... here; programs call the rest.
#pragma once

#include <utility>
#include <vector>

#include "support/text.h"

namespace dialogs {

// A box with an OK button, captioned ApplicationTitle, owned by the active
// window; a warning icon when serious is non-zero, else information. 0.
int Notify(const Text& text, int serious);
// OK and Cancel: 1 when OK was pressed, else 0.
int Confirm(const Text& text, int serious);
// Yes, No and Cancel: 1 for Yes, 0 for No, -1 otherwise (cancelled, closed,
// or no box could be shown).
int Proceed(const Text& text, int serious);
// The open-file dialog (the save-file dialog when save is non-zero) titled
// text. extensions is "Name:ext,ext;Name:ext" or a bare "ext,ext" list; path
// proposes a starting folder and file name. The chosen path, or empty text
// when cancelled.
Text RequestFile(const Text& text, const Text& extensions, int save, const Text& path);
// The folder browser titled text, with the full path of path selected. The
// chosen folder, or empty text when cancelled.
Text RequestDir(const Text& text, const Text& path);
// Asks the desktop to open url as given: 1 when the shell reports success
// (a result above 32), else 0.
int OpenURL(const Text& url);
// What the front end's OpenURL opens: a text that starts with "http:",
// "https:" or "file:" unchanged; else "file:" and the full path when it names
// an existing file or folder, otherwise "http:" and the text, in both cases
// with the "#" anchor kept at the end.
Text CompleteURL(const Text& url);

// The type filter of RequestFile as the platform's name and pattern pairs:
// "Images:png,jpg;Text:txt" gives ("Images", "*.png;*.jpg") and ("Text",
// "*.txt"); a text without ":" is one group named "Files".
std::vector<std::pair<Text, Text>> FileTypeFilter(const Text& extensions);
// The 1-based group selected when the dialog opens: the first that lists the
// proposed file's extension, else 1; 0 when there is no filter.
int NaturalFilterIndex(const std::vector<std::pair<Text, Text>>& filter, const Text& file_name);

}  // namespace dialogs

// The local date as "08 Dec 2026" and time as "14:05:09".
Text CurrentDateText();
Text CurrentTimeText();
// The desktop's size in pixels, colour depth in bits per pixel and refresh
// rate in Hz.
int DesktopPixelWidth();
int DesktopPixelHeight();
int DesktopBitDepth();
int DesktopRefreshRate();
