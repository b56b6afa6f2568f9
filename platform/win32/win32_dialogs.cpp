// Message boxes, the open and save dialogs, the folder browser and
// ShellExecute on Win32. Each waits in its own modal loop, during which
// Windows calls our window procedures; an error one raises is raised again
// when the dialog returns.
#include <vector>

#include "platform/win32/win32_state.h"

namespace platform::win32 {
namespace {

// The longest path Windows has; the file dialogs' buffers hold one.
constexpr std::size_t kLongestPath = 32767;

std::wstring Backslashed(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

// The filter list the dialogs take: a name and a pattern for each group,
// each ended by a NUL, and one more NUL at the end. None when a name or a
// pattern holds a NUL, which would split the list. A group without a name
// shows its pattern as its name (an empty name would end the list there).
std::optional<std::wstring> FilterList(const FileDialog& request) {
  std::wstring list;
  for (const auto& [name, pattern] : request.filter) {
    const std::optional<std::wstring> wide_name = WideText(name);
    const std::optional<std::wstring> wide_pattern = WideText(pattern);
    if (!wide_name || !wide_pattern || wide_pattern->empty()) return std::nullopt;
    list += wide_name->empty() ? *wide_pattern : *wide_name;
    list += L'\0';
    list += *wide_pattern;
    list += L'\0';
  }
  list += L'\0';
  return list;
}

// Initialises COM on this thread for the shell's dialogs; undone when it
// goes, if it was done here.
class ComApartment {
 public:
  ComApartment()
      : initialised_(SUCCEEDED(
            ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComApartment() {
    if (initialised_) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_ = false;
};

bool FileDialogResult(const FileDialog& request, bool save, std::u16string& chosen) {
  const std::optional<std::wstring> title = WideText(request.title);
  const std::optional<std::wstring> folder = WideText(request.initial_dir);
  const std::optional<std::wstring> name = WideText(request.file_name);
  const std::optional<std::wstring> filter = FilterList(request);
  if (!title || !folder || !name || !filter) {
    KeepError(u"A file dialog's texts must not hold NUL characters");
    return false;
  }
  if (name->size() > kLongestPath) {
    KeepError(u"The proposed file name is longer than any path Windows has");
    return false;
  }
  const std::wstring initial_dir = Backslashed(*folder);
  std::vector<wchar_t> buffer(kLongestPath + 1, L'\0');
  const std::wstring proposed = Backslashed(*name);
  std::copy(proposed.begin(), proposed.end(), buffer.begin());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = ToHwnd(request.owner);
  dialog.lpstrFilter = request.filter.empty() ? nullptr : filter->c_str();
  dialog.nFilterIndex = request.filter_index > 0 ? static_cast<DWORD>(request.filter_index) : 0;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrInitialDir = initial_dir.empty() ? nullptr : initial_dir.c_str();
  dialog.lpstrTitle = title->c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (save) {
    dialog.Flags |= OFN_OVERWRITEPROMPT;
    dialog.lpstrDefExt = L"";
  } else {
    dialog.Flags |= OFN_FILEMUSTEXIST;
  }
  const BOOL ok = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
  RaisePendingError();
  if (!ok) return false;
  chosen = FromWide(buffer.data());
  return true;
}

// While the browser runs: select the starting folder when it opens, and
// show the selected folder's path on the status line.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM parameter, LPARAM data) {
  if (message == BFFM_INITIALIZED && data != 0) {
    ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
  } else if (message == BFFM_SELCHANGED) {
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(parameter), path)) {
      ::SendMessageW(browser, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
    }
  }
  return 0;
}

}  // namespace

int Win32Platform::MessageBox(Handle owner, const std::u16string& text,
                              const std::u16string& caption, std::uint32_t style) {
  const std::optional<std::wstring> wide_text = WideText(text);
  const std::optional<std::wstring> wide_caption = WideText(caption);
  if (!wide_text || !wide_caption) {
    KeepError(u"A message box's text and caption must not hold NUL characters");
    return 0;
  }
  const int pressed =
      ::MessageBoxW(ToHwnd(owner), wide_text->c_str(), wide_caption->c_str(), style);
  RaisePendingError();
  return pressed;
}

bool Win32Platform::GetOpenFileName(const FileDialog& request, std::u16string& chosen) {
  return FileDialogResult(request, false, chosen);
}

bool Win32Platform::GetSaveFileName(const FileDialog& request, std::u16string& chosen) {
  return FileDialogResult(request, true, chosen);
}

bool Win32Platform::BrowseForFolder(const FolderDialog& request, std::u16string& chosen) {
  const std::optional<std::wstring> title = WideText(request.title);
  const std::optional<std::wstring> path = WideText(request.initial_path);
  if (!title || !path) {
    KeepError(u"A folder browser's texts must not hold NUL characters");
    return false;
  }
  const std::wstring start = Backslashed(*path);
  ComApartment com;
  wchar_t display_name[MAX_PATH] = {};
  BROWSEINFOW browse{};
  browse.hwndOwner = ToHwnd(request.owner);
  browse.pszDisplayName = display_name;
  browse.lpszTitle = title->c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_STATUSTEXT;
  browse.lpfn = BrowseCallback;
  browse.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
  PIDLIST_ABSOLUTE folder = ::SHBrowseForFolderW(&browse);
  RaisePendingError();
  if (folder == nullptr) return false;
  // The path is asked for with room for the longest path Windows has.
  std::vector<wchar_t> buffer(kLongestPath + 1, L'\0');
  const bool ok = ::SHGetPathFromIDListEx(folder, buffer.data(), static_cast<DWORD>(buffer.size()),
                                          GPFIDL_DEFAULT);
  ::CoTaskMemFree(folder);
  if (!ok) return false;
  chosen = FromWide(buffer.data());
  return true;
}

std::intptr_t Win32Platform::ShellExecute(const std::u16string& url) {
  const std::optional<std::wstring> target = WideText(url);
  if (!target || target->empty()) {
    KeepError(u"A URL must be a text without NUL characters");
    return 0;
  }
  ComApartment com;
  const HINSTANCE result =
      ::ShellExecuteW(nullptr, nullptr, target->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  RaisePendingError();
  return reinterpret_cast<std::intptr_t>(result);
}

}  // namespace platform::win32
