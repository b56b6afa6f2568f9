// The Win32 platform's message boxes, file dialogs, folder browser and
// ShellExecute under Wine, each closed by a timer on the test's own thread
// (their modal loops run the timer), and the checks at the Windows edge:
// texts with a NUL refused, long paths never cut short, a filter never split.
#include <algorithm>
#include <string>

#include "tests/platform/win32_wine_fixture.h"

namespace platform::win32 {
namespace {

// Runs act on the first dialog window titled title that appears while a
// modal loop runs on this thread.
class DialogCloser {
 public:
  DialogCloser(std::wstring title, std::function<void(HWND)> act) {
    title_ = std::move(title);
    act_ = std::move(act);
    acted_ = false;
    timer_ = ::SetTimer(nullptr, 0, 50, &DialogCloser::Tick);
  }
  ~DialogCloser() { ::KillTimer(nullptr, timer_); }
  DialogCloser(const DialogCloser&) = delete;
  DialogCloser& operator=(const DialogCloser&) = delete;
  bool Acted() const { return acted_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (acted_) return;
    const HWND dialog = ::FindWindowW(L"#32770", title_.c_str());
    if (dialog == nullptr || !::IsWindowVisible(dialog)) return;
    acted_ = true;
    act_(dialog);
  }
  static inline std::wstring title_;
  static inline std::function<void(HWND)> act_;
  static inline bool acted_ = false;
  UINT_PTR timer_ = 0;
};

void Press(HWND dialog, int button) { ::PostMessageW(dialog, WM_COMMAND, button, 0); }

std::wstring ItemText(HWND dialog, int item) {
  const HWND control = ::GetDlgItem(dialog, item);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The dialogs' own controls: the file-name box (an edit inside a combo box
// in the explorer-style dialog) and the file-type list.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileTypes = 0x470;

using WineDialogs = Win32WindowTest;

TEST_F(WineDialogs, MessageBoxReturnsThePressedButton) {
  DialogCloser closer(L"Box caption", [](HWND box) { Press(box, IDOK); });
  EXPECT_EQ(platform_->MessageBox(0, u"Text", u"Box caption",
                                  platform::MB_OKCANCEL | platform::MB_TOPMOST),
            platform::IDOK);
  EXPECT_TRUE(closer.Acted());
}

TEST_F(WineDialogs, ErrorRaisedWhileABoxWaitsComesOutWhenItCloses) {
  const Handle window = CreateTestWindow(u"Owner", 100, 100, 64, 64);
  ASSERT_NE(window, 0u);
  raise_on_ = WM_TIMER;
  ::SetTimer(reinterpret_cast<HWND>(window), 1, 20, nullptr);
  DialogCloser closer(L"Waiting box", [](HWND box) { Press(box, IDOK); });
  EXPECT_THROW(platform_->MessageBox(0, u"Text", u"Waiting box", platform::MB_OK), RuntimeError);
  ::KillTimer(reinterpret_cast<HWND>(window), 1);
  raise_on_ = 0;
  EXPECT_TRUE(closer.Acted());
}

TEST_F(WineDialogs, TextsWithANulAreRefusedWithoutADialog) {
  // A file dialog that opened by mistake is cancelled, so the test fails
  // instead of waiting.
  DialogCloser closer(L"Open", [](HWND dialog) { Press(dialog, IDCANCEL); });
  EXPECT_EQ(platform_->MessageBox(0, std::u16string(u"cut\0here", 8), u"Caption", platform::MB_OK),
            0);
  EXPECT_EQ(platform_->MessageBox(0, u"Text", std::u16string(u"cut\0here", 8), platform::MB_OK), 0);
  FileDialog request;
  request.title = u"Open";
  request.filter = {{u"Images", std::u16string(u"*.png\0*.exe", 11)}};
  std::u16string chosen;
  EXPECT_FALSE(platform_->GetOpenFileName(request, chosen));
  request.filter = {{std::u16string(u"Images\0", 7), u"*.png"}};
  EXPECT_FALSE(platform_->GetSaveFileName(request, chosen));
  request.filter.clear();
  request.file_name = std::u16string(u"a\0b", 3);
  EXPECT_FALSE(platform_->GetOpenFileName(request, chosen));
  FolderDialog folder;
  folder.title = std::u16string(u"Pick\0", 5);
  EXPECT_FALSE(platform_->BrowseForFolder(folder, chosen));
  EXPECT_LE(platform_->ShellExecute(std::u16string(u"file:C:\\a\0b", 11)), 32);
  EXPECT_TRUE(chosen.empty());
  EXPECT_FALSE(closer.Acted());
}

TEST_F(WineDialogs, NameLongerThanAnyWindowsPathIsRefused) {
  FileDialog request;
  request.title = u"Open";
  request.file_name = std::u16string(40000, u'x');
  DialogCloser closer(L"Open", [](HWND dialog) { Press(dialog, IDCANCEL); });
  std::u16string chosen;
  EXPECT_FALSE(platform_->GetOpenFileName(request, chosen));
  EXPECT_FALSE(closer.Acted());
}

TEST_F(WineDialogs, LongProposedNameReachesTheDialogWholeAndFilterGroupsStayWhole) {
  FileDialog request;
  request.title = u"Long name";
  request.initial_dir = u"Z:/tmp";
  request.file_name = std::u16string(300, u'n') + u".png";  // beyond MAX_PATH
  request.filter = {{u"Images", u"*.png;*.jpg"}, {u"A|B", u"*.txt"}};
  request.filter_index = 1;
  std::wstring shown;
  std::vector<std::wstring> types;
  DialogCloser closer(L"Long name", [&](HWND dialog) {
    shown = ItemText(dialog, kFileNameCombo);
    const HWND list = ::GetDlgItem(dialog, kFileTypes);
    const LRESULT count = ::SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t item[256] = {};
      ::SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
      types.emplace_back(item);
    }
    Press(dialog, IDCANCEL);
  });
  std::u16string chosen;
  EXPECT_FALSE(platform_->GetOpenFileName(request, chosen));
  ASSERT_TRUE(closer.Acted());
  EXPECT_EQ(shown, std::wstring(300, L'n') + L".png");
  EXPECT_EQ(types, (std::vector<std::wstring>{L"Images", L"A|B"}));
}

TEST_F(WineDialogs, SaveDialogReturnsTheTypedPath) {
  FileDialog request;
  request.title = u"Save as";
  request.initial_dir = u"Z:/tmp";
  request.file_name = u"proposed.txt";
  request.save = true;
  std::wstring proposed;
  DialogCloser closer(L"Save as", [&](HWND dialog) {
    proposed = ItemText(dialog, kFileNameCombo);
    ::SetDlgItemTextW(dialog, kFileNameCombo, L"Z:\\tmp\\vuble-saved-by-test.txt");
    Press(dialog, IDOK);
  });
  std::u16string chosen;
  ASSERT_TRUE(platform_->GetSaveFileName(request, chosen));
  EXPECT_EQ(proposed, L"proposed.txt");
  EXPECT_EQ(chosen, u"Z:\\tmp\\vuble-saved-by-test.txt");
}

BOOL CALLBACK CollectTexts(HWND child, LPARAM parameter) {
  wchar_t text[512] = {};
  ::GetWindowTextW(child, text, 512);
  reinterpret_cast<std::vector<std::wstring>*>(parameter)->emplace_back(text);
  return TRUE;
}

TEST_F(WineDialogs, FolderBrowserStartsAtThePathWithSlashesTurnedAndReturnsIt) {
  FolderDialog request;
  request.title = u"Pick a folder";
  request.initial_path = u"Z:/tmp";
  std::vector<std::wstring> texts;
  DialogCloser closer(L"Browse for Folder", [&](HWND dialog) {
    ::EnumChildWindows(dialog, CollectTexts, reinterpret_cast<LPARAM>(&texts));
    Press(dialog, IDOK);
  });
  std::u16string chosen;
  ASSERT_TRUE(platform_->BrowseForFolder(request, chosen));
  EXPECT_EQ(chosen, u"Z:\\tmp");
  // The status line shows the selected folder's path.
  EXPECT_NE(std::find(texts.begin(), texts.end(), L"Z:\\tmp"), texts.end());
}

TEST_F(WineDialogs, ShellExecuteSucceedsAboveThirtyTwoAndFailsAtOrBelow) {
  EXPECT_LE(platform_->ShellExecute(u"Z:\\no\\such\\file-anywhere.vuble"), 32);
  // A program opens by running: the fault program, which without an
  // argument ends at once.
  std::u16string program = u"Z:";
  for (const char c : std::string(WIN32_FAULT_PROGRAM)) program += c == '/' ? u'\\' : char16_t(c);
  EXPECT_GT(platform_->ShellExecute(program), 32);
}

}  // namespace
}  // namespace platform::win32
