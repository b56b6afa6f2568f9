// A platform for tests: every call is logged as text ("Sleep(16)"), results
// are scripted, the clock moves only when told (or by Sleep), and any
// operation can be made to fail. Window messages are queued by the test and
// dispatched to the registered window procedures through the window registry
// the SDL2 platform keeps too, so dispatch, key state and default handling
// are the real platform's. Process services are recorded, never performed:
// no fault handler is installed and nothing is written to standard error.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/window_registry.h"
#include "platform/windows_macros_push.h"

namespace platform {

class FakePlatform : public Platform {
 public:
  FakePlatform();

  // --- Scripting -----------------------------------------------------------

  // Every call so far, oldest first, as "Name(arg,arg)".
  std::vector<std::string> Calls() const;
  // The calls whose text starts with prefix ("SwapBuffers", "ShowCursor(").
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
  int CountCalls(const std::string& prefix) const;
  void ClearCalls();
  // Makes the named operation fail (return its failure value) until
  // Succeed(name). Names are the operation names ("CreateWindowEx").
  void Fail(const std::string& operation);
  void Succeed(const std::string& operation);

  // Clock: the value timeGetTime returns. Sleep(ms) advances it by ms.
  void SetClock(std::uint32_t now);
  void AdvanceClock(std::uint32_t ms);
  std::uint32_t Clock() const;

  // Queues a message as if the window system had sent it.
  void QueueMessage(const Msg& msg);
  void QueueMessage(Handle window, std::uint32_t message, std::uintptr_t wparam,
                    std::intptr_t lparam);
  std::size_t QueuedMessages() const;

  // Key state as GetKeyState reports it. Retrieved key and button messages
  // change it too, as on the real platform.
  void SetKeyDown(int virtual_key, bool down);
  // Screen position of the pointer.
  void SetCursor(std::int32_t x, std::int32_t y);
  Point Cursor() const;
  int CursorCounter() const { return cursor_counter_; }
  void SetCursorCounter(int counter) { cursor_counter_ = counter; }
  Handle Capture() const { return registry_.Capture(); }

  void SetActiveWindow(Handle window) { registry_.SetActive(window); }
  void SetFocusWindow(Handle window) { registry_.SetFocus(window); }
  void SetIconic(Handle window, bool iconic);
  // The process a window belongs to; windows created here belong to this
  // process (ProcessId()) unless told otherwise.
  void SetWindowProcess(Handle window, std::uint32_t process_id);
  std::uint32_t ProcessId() const { return 1000; }
  void SetWindowParent(Handle child, Handle parent, std::uint32_t style);
  void SetDialogTakes(Handle dialog, bool takes);  // IsDialogMessage answer

  // A window not created through CreateWindowEx (another program's, or a
  // caller's own window to attach to).
  Handle AddForeignWindow(std::int32_t client_width, std::int32_t client_height);
  // Where a window's client area lies on the screen (set by CreateWindowEx
  // from its rectangle; used by ScreenToClient and ClientToScreen).
  void SetClientOrigin(Handle window, std::int32_t x, std::int32_t y);
  void SetClientSize(Handle window, std::int32_t width, std::int32_t height);
  bool WindowExists(Handle window) const;
  std::u16string WindowTitle(Handle window) const;
  std::uint32_t WindowStyleOf(Handle window) const;
  Rect WindowRect(Handle window) const;  // outer rectangle as created
  std::vector<Handle> LiveWindows() const;
  Handle CurrentContext() const { return current_context_; }
  std::vector<Handle> LiveContexts() const;

  // The frame that AdjustWindowRectEx adds around the client rectangle of a
  // captioned window (left, top, right, bottom thickness). Pop-ups get none.
  void SetFrame(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
  void SetDesktop(std::int32_t width, std::int32_t height);
  void SetDeviceCaps(int index, int value);
  void SetSwapIntervalExtension(bool present) { swap_extension_ = present; }
  void SetChoosePixelFormatResult(int format) { pixel_format_ = format; }
  void SetDisplayModes(std::vector<DisplayMode> modes) { display_modes_ = std::move(modes); }
  // Results of the next ChangeDisplaySettings calls with a mode, in order;
  // success once they run out.
  void QueueDisplayChangeResults(std::vector<long> results);
  const std::vector<DisplayMode>& DisplayChanges() const { return display_changes_; }

  void SetMessageBoxResult(int result) { message_box_result_ = result; }
  struct MessageBoxCall {
    Handle owner;
    std::u16string text;
    std::u16string caption;
    std::uint32_t style;
  };
  const std::vector<MessageBoxCall>& MessageBoxes() const { return message_boxes_; }
  // Answer of the next file dialogs: chosen path, or cancelled when empty.
  void SetDialogAnswer(std::u16string chosen) { dialog_answer_ = std::move(chosen); }
  const std::vector<FileDialog>& FileDialogs() const { return file_dialogs_; }
  const std::vector<FolderDialog>& FolderDialogs() const { return folder_dialogs_; }
  void SetShellResult(std::intptr_t result) { shell_result_ = result; }
  const std::vector<std::u16string>& OpenedUrls() const { return opened_urls_; }

  void SetModuleFileName(std::u16string path) { module_file_ = std::move(path); }
  void SetCurrentDirectoryText(std::u16string path) { current_dir_ = std::move(path); }
  void AddExistingPath(std::u16string path) { existing_paths_.insert(std::move(path)); }
  void SetMainThread(ThreadId id) { thread_id_ = id; }
  void SetPathSeparator(char16_t separator) { path_separator_ = separator; }
  // The filter SetUnhandledExceptionFilter was given (never installed).
  ExceptionFilter InstalledExceptionFilter() const { return exception_filter_; }
  // Everything WriteStandardError was given, in order.
  const std::string& StandardError() const { return standard_error_; }
  // What LastErrorText returns until the next scripted failure, which sets
  // it to the failing operation's name.
  void SetLastErrorText(std::u16string text) { last_error_ = std::move(text); }

  // --- Platform ------------------------------------------------------------

  std::uint32_t timeGetTime() override;
  void Sleep(std::uint32_t ms) override;
  void timeBeginPeriod(std::uint32_t ms) override;
  void timeEndPeriod(std::uint32_t ms) override;
  ThreadId GetCurrentThreadId() override;
  std::uint32_t GetCurrentProcessId() override;
  bool PeekMessage(Msg& out) override;
  void WaitMessage() override;
  void TranslateMessage(const Msg& msg) override;
  std::intptr_t DispatchMessage(const Msg& msg) override;
  bool PostThreadMessage(ThreadId thread, std::uint32_t message, std::uintptr_t wparam,
                         std::intptr_t lparam) override;
  std::intptr_t DefWindowProc(Handle window, std::uint32_t message, std::uintptr_t wparam,
                              std::intptr_t lparam) override;
  Handle GetParent(Handle window) override;
  std::uint32_t GetWindowStyle(Handle window) override;
  bool IsDialogMessage(Handle dialog, const Msg& msg) override;
  std::int16_t GetKeyState(int virtual_key) override;
  bool GetCursorPos(Point& out) override;
  bool SetCursorPos(std::int32_t x, std::int32_t y) override;
  bool ScreenToClient(Handle window, Point& point) override;
  bool ClientToScreen(Handle window, Point& point) override;
  Handle SetCapture(Handle window) override;
  bool ReleaseCapture() override;
  int ShowCursor(bool show) override;
  bool TrackMouseLeave(Handle window) override;
  Handle GetActiveWindow() override;
  Handle GetFocus() override;
  Handle SetFocus(Handle window) override;
  bool IsIconic(Handle window) override;
  std::uint32_t GetWindowThreadProcessId(Handle window) override;
  bool GetClientRect(Handle window, Rect& out) override;
  bool RegisterClass(const std::u16string& name, std::uint32_t style,
                     WindowProcedure procedure) override;
  bool GetDesktopRect(Rect& out) override;
  bool AdjustWindowRectEx(Rect& rect, std::uint32_t style, bool menu,
                          std::uint32_t ex_style) override;
  Handle CreateWindowEx(std::uint32_t ex_style, const std::u16string& class_name,
                        const std::u16string& title, std::uint32_t style, std::int32_t x,
                        std::int32_t y, std::int32_t width, std::int32_t height) override;
  bool ShowWindow(Handle window, int command) override;
  bool ValidateRect(Handle window) override;
  bool DestroyWindow(Handle window) override;
  Handle GetDC(Handle window) override;
  int ChoosePixelFormat(Handle dc, const PixelFormatRequest& request) override;
  bool SetPixelFormat(Handle dc, int format, const PixelFormatRequest& request) override;
  Handle wglCreateContext(Handle dc) override;
  bool wglDeleteContext(Handle context) override;
  bool wglMakeCurrent(Handle dc, Handle context) override;
  bool wglShareLists(Handle existing, Handle added) override;
  bool HasSwapIntervalExtension() override;
  bool wglSwapIntervalEXT(int interval) override;
  bool SwapBuffers(Handle dc) override;
  bool EnumDisplaySettings(std::uint32_t index, DisplayMode& out) override;
  long ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) override;
  int GetDesktopDeviceCaps(int index) override;
  int MessageBox(Handle owner, const std::u16string& text, const std::u16string& caption,
                 std::uint32_t style) override;
  bool GetOpenFileName(const FileDialog& request, std::u16string& chosen) override;
  bool GetSaveFileName(const FileDialog& request, std::u16string& chosen) override;
  bool BrowseForFolder(const FolderDialog& request, std::u16string& chosen) override;
  std::intptr_t ShellExecute(const std::u16string& url) override;
  std::u16string GetModuleFileName() override;
  std::u16string GetCurrentDirectory() override;
  bool SetCurrentDirectory(const std::u16string& path) override;
  bool PathExists(const std::u16string& path) override;
  std::u16string GetFullPathName(const std::u16string& path) override;
  char16_t GetPathSeparator() override;
  void SetUnhandledExceptionFilter(ExceptionFilter filter) override;
  void WriteStandardError(const char* text) override;
  void SetFatalWatchdog(unsigned seconds) override;
  void HeapOptimizeResources() override;
  std::u16string LastErrorText() override;

  // The device context GetDC gives for a window.
  static Handle DcOf(Handle window) { return window + 0x10000; }

 private:
  // What the fake keeps of a window beside the registry's entry.
  struct Window {
    std::u16string title;
    std::uint32_t style = 0;
    Rect outer;
    Point client_origin;
    std::int32_t client_width = 0;
    std::int32_t client_height = 0;
    Handle parent = 0;
    std::uint32_t process = 0;
    bool iconic = false;
    bool dialog_takes = false;
    bool own = true;  // created through CreateWindowEx
  };

  void Log(std::string call);
  bool Failing(const char* operation) const;
  Window* Find(Handle window);
  const Window* Find(Handle window) const;

  mutable std::mutex mutex_;  // guards the queue and the log (PostThreadMessage)
  std::condition_variable queue_changed_;
  std::vector<std::string> calls_;
  std::set<std::string> failing_;
  std::uint32_t clock_ = 0;
  std::deque<Msg> queue_;
  WindowRegistry registry_{[this](const Msg& msg) { QueueMessage(msg); }};
  Point cursor_;
  int cursor_counter_ = 0;
  std::map<Handle, Window> windows_;
  Handle next_context_ = 0x900000;
  std::set<Handle> contexts_;
  Handle current_context_ = 0;
  Rect frame_{3, 26, 3, 3};
  std::int32_t desktop_width_ = 1920;
  std::int32_t desktop_height_ = 1080;
  std::map<int, int> device_caps_;
  bool swap_extension_ = true;
  int pixel_format_ = 1;
  std::vector<DisplayMode> display_modes_;
  std::deque<long> display_change_results_;
  std::vector<DisplayMode> display_changes_;
  int message_box_result_ = IDOK;
  std::vector<MessageBoxCall> message_boxes_;
  std::u16string dialog_answer_;
  std::vector<FileDialog> file_dialogs_;
  std::vector<FolderDialog> folder_dialogs_;
  std::intptr_t shell_result_ = 33;
  std::vector<std::u16string> opened_urls_;
  std::u16string module_file_ = u"/opt/vuble/bin/program";
  std::u16string current_dir_ = u"/home/user";
  std::set<std::u16string> existing_paths_;
  ThreadId thread_id_ = 1;
  char16_t path_separator_ = u'/';
  ExceptionFilter exception_filter_ = nullptr;
  std::string standard_error_;
  mutable std::u16string last_error_;
};

}  // namespace platform

#include "platform/windows_macros_pop.h"
