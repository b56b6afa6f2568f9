#include "system/dialogs.h"

#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "system/startup.h"

namespace dialogs {
namespace {

// The keyboard focus is saved before a box or requester opens and given back
// after it closes; owners are the active window.
class FocusKeeper {
 public:
  FocusKeeper() : saved_(platform::Current().GetFocus()) {}
  ~FocusKeeper() {
    if (saved_ != 0) platform::Current().SetFocus(saved_);
  }
  FocusKeeper(const FocusKeeper&) = delete;
  FocusKeeper& operator=(const FocusKeeper&) = delete;

 private:
  platform::Handle saved_ = 0;
};

int Box(const Text& text, int serious, std::uint32_t buttons) {
  const std::uint32_t icon = serious != 0 ? platform::MB_ICONWARNING : platform::MB_ICONINFORMATION;
  FocusKeeper focus;
  platform::Platform& os = platform::Current();
  return os.MessageBox(os.GetActiveWindow(), text, ApplicationTitle,
                       platform::MB_TOPMOST | icon | buttons);
}

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

// Paths are written with "/"; the platform's requesters take its own
// separator.
Text WithSeparator(Text path, char16_t separator) {
  for (auto& c : path) {
    if (c == u'/') c = separator;
  }
  return path;
}

bool StartsWithNoCase(const Text& text, const Text& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[i]) != prefix[i]) return false;
  }
  return true;
}

}  // namespace

// The extensions text read the way the requesters have always read it: a
// text without ":" is one group named "Files"; otherwise every ":" ends a
// name and starts its extensions, every ";" ends a group, and every ","
// separates two extensions. The text is cut only at those characters, so
// anything else it holds (a NUL, a "|") stays inside its name or pattern,
// where the platform refuses or shows it; it never splits the filter. A
// trailing name without a pattern matches nothing and is left out.
std::vector<std::pair<Text, Text>> FileTypeFilter(const Text& extensions) {
  std::vector<std::pair<Text, Text>> pairs;
  if (extensions.empty()) return pairs;
  const bool named = extensions.find(u':') != Text::npos;
  std::vector<Text> items;
  if (!named) items.push_back(u"Files");
  Text item = named ? Text() : Text(u"*.");
  for (const char16_t c : extensions) {
    if (named && c == u':') {
      items.push_back(item);
      item = u"*.";
    } else if (c == u';') {
      items.push_back(item);
      item.clear();
    } else if (c == u',') {
      item += u";*.";
    } else {
      item += c;
    }
  }
  items.push_back(item);
  for (std::size_t i = 0; i + 1 < items.size(); i += 2) {
    if (items[i + 1].empty()) continue;
    pairs.emplace_back(items[i], items[i + 1]);
  }
  return pairs;
}

// The 1-based group that lists the extension of file_name ("*.png" for
// "a.png", letters compared without case), else the first group; 0 when
// there are none.
int NaturalFilterIndex(const std::vector<std::pair<Text, Text>>& filter, const Text& file_name) {
  if (filter.empty()) return 0;
  const std::size_t dot = file_name.rfind(u'.');
  if (dot != Text::npos && dot + 1 < file_name.size()) {
    Text wanted = u"*" + file_name.substr(dot);
    for (auto& c : wanted) c = Lower(c);
    for (std::size_t i = 0; i < filter.size(); ++i) {
      const Text& patterns = filter[i].second;
      std::size_t begin = 0;
      while (begin <= patterns.size()) {
        std::size_t end = patterns.find(u';', begin);
        if (end == Text::npos) end = patterns.size();
        Text pattern = patterns.substr(begin, end - begin);
        for (auto& c : pattern) c = Lower(c);
        if (pattern == wanted) return static_cast<int>(i + 1);
        begin = end + 1;
      }
    }
  }
  return 1;
}

int Notify(const Text& text, int serious) {
  Box(text, serious, platform::MB_OK);
  return 0;
}

int Confirm(const Text& text, int serious) {
  return Box(text, serious, platform::MB_OKCANCEL) == platform::IDOK ? 1 : 0;
}

int Proceed(const Text& text, int serious) {
  switch (Box(text, serious, platform::MB_YESNOCANCEL)) {
    case platform::IDYES: return 1;
    case platform::IDNO: return 0;
    default: return -1;
  }
}

Text RequestFile(const Text& text, const Text& extensions, int save, const Text& path) {
  platform::FileDialog request;
  request.title = text;
  // The text before the last separator is the starting folder, the rest the
  // proposed name; a path in the root keeps the root as its folder.
  const char16_t separator = platform::Current().GetPathSeparator();
  const Text native = WithSeparator(path, separator);
  const std::size_t last = native.rfind(separator);
  if (last == Text::npos) {
    request.file_name = native;
  } else {
    request.initial_dir = native.substr(0, last == 0 ? 1 : last);
    request.file_name = native.substr(last + 1);
  }
  request.filter = FileTypeFilter(extensions);
  request.filter_index = NaturalFilterIndex(request.filter, request.file_name);
  request.save = save != 0;

  FocusKeeper focus;
  platform::Platform& os = platform::Current();
  request.owner = os.GetActiveWindow();
  Text chosen;
  const bool ok =
      request.save ? os.GetSaveFileName(request, chosen) : os.GetOpenFileName(request, chosen);
  return ok ? chosen : Text();
}

Text RequestDir(const Text& text, const Text& path) {
  platform::FolderDialog request;
  request.title = text;
  FocusKeeper focus;
  platform::Platform& os = platform::Current();
  request.owner = os.GetActiveWindow();
  if (!path.empty())
    request.initial_path = os.GetFullPathName(WithSeparator(path, os.GetPathSeparator()));
  Text chosen;
  return os.BrowseForFolder(request, chosen) ? chosen : Text();
}

int OpenURL(const Text& url) { return platform::Current().ShellExecute(url) > 32 ? 1 : 0; }

Text CompleteURL(const Text& url) {
  if (StartsWithNoCase(url, u"http:") || StartsWithNoCase(url, u"file:") ||
      StartsWithNoCase(url, u"https:")) {
    return url;
  }
  Text location = url;
  Text anchor;
  const std::size_t hash = url.find(u'#');
  if (hash != Text::npos) {
    anchor = url.substr(hash);
    location = url.substr(0, hash);
  }
  platform::Platform& os = platform::Current();
  const Text full = os.GetFullPathName(location);
  if (!full.empty() && os.PathExists(full)) return u"file:" + full + anchor;
  return u"http:" + location + anchor;
}

}  // namespace dialogs

namespace {

// The standard library's local time: every call runs on the main thread, so
// std::localtime's shared result is not raced.
Text LocalTimeText(const char* format) {
  // The texts are made on the main thread only, so std::localtime's shared
  // result is not raced.
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local == nullptr) return {};
  char buffer[256];
  const std::size_t length = std::strftime(buffer, sizeof buffer, format, local);
  return FromUtf8(std::string_view(buffer, length));
}

}  // namespace

Text CurrentDateText() { return LocalTimeText("%d %b %Y"); }
Text CurrentTimeText() { return LocalTimeText("%H:%M:%S"); }

int DesktopPixelWidth() { return platform::Current().GetDesktopDeviceCaps(platform::kHorzRes); }
int DesktopPixelHeight() { return platform::Current().GetDesktopDeviceCaps(platform::kVertRes); }
int DesktopBitDepth() { return platform::Current().GetDesktopDeviceCaps(platform::kBitsPixel); }
int DesktopRefreshRate() { return platform::Current().GetDesktopDeviceCaps(platform::kVRefresh); }
