#include "platform/fake_platform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "support/wrapping.h"

namespace platform {
namespace {

// Log texts are ASCII; other code units show as '?'.
std::string Narrow(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) out += (c < 0x80) ? static_cast<char>(c) : '?';
  return out;
}

std::string Hex(std::uintptr_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
  return buffer;
}

std::string Dec(long long value) { return std::to_string(value); }

}  // namespace

FakePlatform::FakePlatform() {
  device_caps_[kHorzRes] = desktop_width_;
  device_caps_[kVertRes] = desktop_height_;
  device_caps_[kBitsPixel] = 32;
  device_caps_[kVRefresh] = 60;
}

// --- Scripting ---------------------------------------------------------------

std::vector<std::string> FakePlatform::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::string> FakePlatform::CallsStartingWith(const std::string& prefix) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const auto& call : calls_) {
    if (call.compare(0, prefix.size(), prefix) == 0) out.push_back(call);
  }
  return out;
}

int FakePlatform::CountCalls(const std::string& prefix) const {
  return static_cast<int>(CallsStartingWith(prefix).size());
}

void FakePlatform::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

void FakePlatform::Fail(const std::string& operation) { failing_.insert(operation); }
void FakePlatform::Succeed(const std::string& operation) { failing_.erase(operation); }

void FakePlatform::SetClock(std::uint32_t now) { clock_ = now; }
void FakePlatform::AdvanceClock(std::uint32_t ms) { clock_ += ms; }  // wraps like the real clock
std::uint32_t FakePlatform::Clock() const { return clock_; }

void FakePlatform::QueueMessage(const Msg& msg) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(msg);
  }
  queue_changed_.notify_all();
}

void FakePlatform::QueueMessage(Handle window, std::uint32_t message, std::uintptr_t wparam,
                                std::intptr_t lparam) {
  QueueMessage(Msg{window, message, wparam, lparam});
}

std::size_t FakePlatform::QueuedMessages() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

void FakePlatform::SetKeyDown(int virtual_key, bool down) {
  registry_.SetKeyDown(virtual_key, down);
}

void FakePlatform::SetCursor(std::int32_t x, std::int32_t y) { cursor_ = {x, y}; }
Point FakePlatform::Cursor() const { return cursor_; }

void FakePlatform::SetIconic(Handle window, bool iconic) {
  if (auto* w = Find(window)) w->iconic = iconic;
}

void FakePlatform::SetWindowProcess(Handle window, std::uint32_t process_id) {
  if (auto* w = Find(window)) w->process = process_id;
}

void FakePlatform::SetWindowParent(Handle child, Handle parent, std::uint32_t style) {
  if (auto* w = Find(child)) {
    w->parent = parent;
    w->style = style;
  }
}

void FakePlatform::SetDialogTakes(Handle dialog, bool takes) {
  if (auto* w = Find(dialog)) w->dialog_takes = takes;
}

Handle FakePlatform::AddForeignWindow(std::int32_t client_width, std::int32_t client_height) {
  const Handle handle = registry_.AddWindow(u"");
  Window w;
  w.client_width = client_width;
  w.client_height = client_height;
  w.process = 4242;
  w.own = false;
  windows_[handle] = w;
  return handle;
}

void FakePlatform::SetClientOrigin(Handle window, std::int32_t x, std::int32_t y) {
  if (auto* w = Find(window)) w->client_origin = {x, y};
}

void FakePlatform::SetClientSize(Handle window, std::int32_t width, std::int32_t height) {
  if (auto* w = Find(window)) {
    w->client_width = width;
    w->client_height = height;
  }
}

bool FakePlatform::WindowExists(Handle window) const { return Find(window) != nullptr; }

std::u16string FakePlatform::WindowTitle(Handle window) const {
  const auto* w = Find(window);
  return w ? w->title : std::u16string();
}

std::uint32_t FakePlatform::WindowStyleOf(Handle window) const {
  const auto* w = Find(window);
  return w ? w->style : 0;
}

Rect FakePlatform::WindowRect(Handle window) const {
  const auto* w = Find(window);
  return w ? w->outer : Rect{};
}

std::vector<Handle> FakePlatform::LiveWindows() const {
  std::vector<Handle> out;
  for (const auto& [handle, w] : windows_) {
    if (w.own) out.push_back(handle);
  }
  return out;
}

std::vector<Handle> FakePlatform::LiveContexts() const {
  return std::vector<Handle>(contexts_.begin(), contexts_.end());
}

void FakePlatform::SetFrame(std::int32_t left, std::int32_t top, std::int32_t right,
                            std::int32_t bottom) {
  frame_ = {left, top, right, bottom};
}

void FakePlatform::SetDesktop(std::int32_t width, std::int32_t height) {
  desktop_width_ = width;
  desktop_height_ = height;
  device_caps_[kHorzRes] = width;
  device_caps_[kVertRes] = height;
}

void FakePlatform::SetDeviceCaps(int index, int value) { device_caps_[index] = value; }

void FakePlatform::QueueDisplayChangeResults(std::vector<long> results) {
  display_change_results_.insert(display_change_results_.end(), results.begin(), results.end());
}

void FakePlatform::Log(std::string call) {
  std::lock_guard lock(mutex_);
  calls_.push_back(std::move(call));
}

bool FakePlatform::Failing(const char* operation) const {
  if (failing_.count(operation) == 0) return false;
  last_error_.assign(operation, operation + std::char_traits<char>::length(operation));
  return true;
}

FakePlatform::Window* FakePlatform::Find(Handle window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

const FakePlatform::Window* FakePlatform::Find(Handle window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

// --- Clock and sleep ---------------------------------------------------------

std::uint32_t FakePlatform::timeGetTime() {
  Log("timeGetTime");
  return clock_;
}

void FakePlatform::Sleep(std::uint32_t ms) {
  Log("Sleep(" + Dec(ms) + ")");
  clock_ += ms;
}

void FakePlatform::timeBeginPeriod(std::uint32_t ms) { Log("timeBeginPeriod(" + Dec(ms) + ")"); }
void FakePlatform::timeEndPeriod(std::uint32_t ms) { Log("timeEndPeriod(" + Dec(ms) + ")"); }

ThreadId FakePlatform::GetCurrentThreadId() { return thread_id_; }
std::uint32_t FakePlatform::GetCurrentProcessId() { return ProcessId(); }

// --- Message queue -----------------------------------------------------------

bool FakePlatform::PeekMessage(Msg& out) {
  {
    std::lock_guard lock(mutex_);
    calls_.push_back("PeekMessage");
    if (queue_.empty()) return false;
    out = queue_.front();
    queue_.pop_front();
  }
  registry_.TrackKeyState(out);
  return true;
}

void FakePlatform::WaitMessage() {
  std::unique_lock lock(mutex_);
  calls_.push_back("WaitMessage");
  // A test that waits with nothing queued and nobody posting would hang; the
  // wait gives up after a few seconds so such a test fails instead.
  queue_changed_.wait_for(lock, std::chrono::seconds(5), [this] { return !queue_.empty(); });
}

void FakePlatform::TranslateMessage(const Msg& msg) {
  Log("TranslateMessage(" + Hex(msg.message) + ")");
}

std::intptr_t FakePlatform::DispatchMessage(const Msg& msg) {
  Log("DispatchMessage(" + Hex(msg.window) + "," + Hex(msg.message) + ")");
  return registry_.CallWindowProcedure(msg.window, msg.message, msg.wparam, msg.lparam);
}

bool FakePlatform::PostThreadMessage(ThreadId thread, std::uint32_t message, std::uintptr_t wparam,
                                     std::intptr_t lparam) {
  {
    std::lock_guard lock(mutex_);
    calls_.push_back("PostThreadMessage(" + Hex(message) + ")");
    if (failing_.count("PostThreadMessage") || thread != thread_id_) return false;
    queue_.push_back(Msg{0, message, wparam, lparam});
  }
  queue_changed_.notify_all();
  return true;
}

std::intptr_t FakePlatform::DefWindowProc(Handle window, std::uint32_t message,
                                          std::uintptr_t wparam, std::intptr_t lparam) {
  Log("DefWindowProc(" + Hex(window) + "," + Hex(message) + "," + Hex(wparam) + ")");
  return registry_.DefWindowProc(window, message, wparam, lparam);
}

Handle FakePlatform::GetParent(Handle window) {
  const auto* w = Find(window);
  return w ? w->parent : 0;
}

std::uint32_t FakePlatform::GetWindowStyle(Handle window) { return WindowStyleOf(window); }

bool FakePlatform::IsDialogMessage(Handle dialog, const Msg& msg) {
  Log("IsDialogMessage(" + Hex(dialog) + "," + Hex(msg.message) + ")");
  const auto* w = Find(dialog);
  return w != nullptr && w->dialog_takes;
}

std::int16_t FakePlatform::GetKeyState(int virtual_key) {
  return registry_.GetKeyState(virtual_key);
}

// --- Pointer and cursor ------------------------------------------------------

bool FakePlatform::GetCursorPos(Point& out) {
  if (Failing("GetCursorPos")) return false;
  out = cursor_;
  return true;
}

bool FakePlatform::SetCursorPos(std::int32_t x, std::int32_t y) {
  Log("SetCursorPos(" + Dec(x) + "," + Dec(y) + ")");
  if (Failing("SetCursorPos")) return false;
  cursor_ = {x, y};
  return true;
}

bool FakePlatform::ScreenToClient(Handle window, Point& point) {
  const auto* w = Find(window);
  if (w == nullptr) return false;
  point.x = WrappingSub(point.x, w->client_origin.x);
  point.y = WrappingSub(point.y, w->client_origin.y);
  return true;
}

bool FakePlatform::ClientToScreen(Handle window, Point& point) {
  const auto* w = Find(window);
  if (w == nullptr) return false;
  point.x = WrappingAdd(point.x, w->client_origin.x);
  point.y = WrappingAdd(point.y, w->client_origin.y);
  return true;
}

Handle FakePlatform::SetCapture(Handle window) {
  Log("SetCapture(" + Hex(window) + ")");
  const Handle previous = registry_.Capture();
  registry_.SetCapture(window);
  return previous;
}

bool FakePlatform::ReleaseCapture() {
  Log("ReleaseCapture");
  registry_.SetCapture(0);
  return true;
}

int FakePlatform::ShowCursor(bool show) {
  cursor_counter_ += show ? 1 : -1;
  Log(std::string("ShowCursor(") + (show ? "1" : "0") + ")=" + Dec(cursor_counter_));
  return cursor_counter_;
}

bool FakePlatform::TrackMouseLeave(Handle window) {
  Log("TrackMouseLeave(" + Hex(window) + ")");
  return !Failing("TrackMouseLeave");
}

// --- Windows -----------------------------------------------------------------

Handle FakePlatform::GetActiveWindow() { return registry_.Active(); }
Handle FakePlatform::GetFocus() { return registry_.Focus(); }

Handle FakePlatform::SetFocus(Handle window) {
  Log("SetFocus(" + Hex(window) + ")");
  const Handle previous = registry_.Focus();
  registry_.SetFocus(window);
  return previous;
}

bool FakePlatform::IsIconic(Handle window) {
  const auto* w = Find(window);
  return w != nullptr && w->iconic;
}

std::uint32_t FakePlatform::GetWindowThreadProcessId(Handle window) {
  const auto* w = Find(window);
  return w ? w->process : 0;
}

bool FakePlatform::GetClientRect(Handle window, Rect& out) {
  const auto* w = Find(window);
  if (w == nullptr) return false;
  out = {0, 0, w->client_width, w->client_height};
  return true;
}

bool FakePlatform::RegisterClass(const std::u16string& name, std::uint32_t style,
                                 WindowProcedure procedure) {
  Log("RegisterClass(" + Narrow(name) + "," + Hex(style) + ")");
  if (Failing("RegisterClass")) return false;
  return registry_.RegisterClass(name, std::move(procedure));
}

bool FakePlatform::GetDesktopRect(Rect& out) {
  out = {0, 0, desktop_width_, desktop_height_};
  return true;
}

bool FakePlatform::AdjustWindowRectEx(Rect& rect, std::uint32_t style, bool menu,
                                      std::uint32_t ex_style) {
  Log("AdjustWindowRectEx(" + Hex(style) + "," + Dec(menu) + "," + Hex(ex_style) + ")");
  if ((style & WS_CAPTION) == WS_CAPTION) {
    rect.left -= frame_.left;
    rect.top -= frame_.top;
    rect.right += frame_.right;
    rect.bottom += frame_.bottom;
  }
  return true;
}

Handle FakePlatform::CreateWindowEx(std::uint32_t ex_style, const std::u16string& class_name,
                                    const std::u16string& title, std::uint32_t style,
                                    std::int32_t x, std::int32_t y, std::int32_t width,
                                    std::int32_t height) {
  Log("CreateWindowEx(" + Hex(ex_style) + "," + Narrow(class_name) + "," + Narrow(title) + "," +
      Hex(style) + "," + Dec(x) + "," + Dec(y) + "," + Dec(width) + "," + Dec(height) + ")");
  if (Failing("CreateWindowEx") || !registry_.IsClassRegistered(class_name)) return 0;
  const Handle handle = registry_.AddWindow(class_name);
  Window w;
  w.title = title;
  w.style = style;
  w.outer = {x, y, x + width, y + height};
  const bool framed = (style & WS_CAPTION) == WS_CAPTION;
  w.client_origin = framed ? Point{x + frame_.left, y + frame_.top} : Point{x, y};
  w.client_width = framed ? width - frame_.left - frame_.right : width;
  w.client_height = framed ? height - frame_.top - frame_.bottom : height;
  w.process = ProcessId();
  windows_[handle] = w;
  return handle;
}

bool FakePlatform::ShowWindow(Handle window, int command) {
  Log("ShowWindow(" + Hex(window) + "," + Dec(command) + ")");
  auto* w = Find(window);
  if (w == nullptr) return false;
  if (command == SW_MINIMIZE) w->iconic = true;
  return true;
}

bool FakePlatform::ValidateRect(Handle window) {
  Log("ValidateRect(" + Hex(window) + ")");
  return Find(window) != nullptr;
}

bool FakePlatform::DestroyWindow(Handle window) {
  Log("DestroyWindow(" + Hex(window) + ")");
  if (Find(window) == nullptr) return false;
  registry_.CallWindowProcedure(window, WM_DESTROY, 0, 0);
  // The procedure may have destroyed it already.
  if (windows_.erase(window) == 0) return true;
  registry_.RemoveWindow(window);
  return true;
}

// --- GL contexts -------------------------------------------------------------

Handle FakePlatform::GetDC(Handle window) {
  Log("GetDC(" + Hex(window) + ")");
  if (Failing("GetDC") || Find(window) == nullptr) return 0;
  return DcOf(window);
}

int FakePlatform::ChoosePixelFormat(Handle dc, const PixelFormatRequest& request) {
  Log("ChoosePixelFormat(" + Hex(dc) + ",flags=" + Hex(request.flags) +
      ",color=" + Dec(request.color_bits) + ",alpha=" + Dec(request.alpha_bits) +
      ",depth=" + Dec(request.depth_bits) + ",stencil=" + Dec(request.stencil_bits) +
      ",accum=" + Dec(request.accum_bits) + ")");
  if (Failing("ChoosePixelFormat")) return 0;
  return pixel_format_;
}

bool FakePlatform::SetPixelFormat(Handle dc, int format, const PixelFormatRequest&) {
  Log("SetPixelFormat(" + Hex(dc) + "," + Dec(format) + ")");
  return !Failing("SetPixelFormat");
}

Handle FakePlatform::wglCreateContext(Handle dc) {
  Log("wglCreateContext(" + Hex(dc) + ")");
  if (Failing("wglCreateContext")) return 0;
  const Handle context = next_context_++;
  contexts_.insert(context);
  return context;
}

bool FakePlatform::wglDeleteContext(Handle context) {
  Log("wglDeleteContext(" + Hex(context) + ")");
  if (current_context_ == context) current_context_ = 0;
  return contexts_.erase(context) != 0;
}

bool FakePlatform::wglMakeCurrent(Handle dc, Handle context) {
  Log("wglMakeCurrent(" + Hex(dc) + "," + Hex(context) + ")");
  if (Failing("wglMakeCurrent")) return false;
  if (context != 0 && contexts_.count(context) == 0) return false;
  current_context_ = context;
  return true;
}

bool FakePlatform::wglShareLists(Handle existing, Handle added) {
  Log("wglShareLists(" + Hex(existing) + "," + Hex(added) + ")");
  return !Failing("wglShareLists");
}

bool FakePlatform::HasSwapIntervalExtension() {
  Log("HasSwapIntervalExtension");
  return swap_extension_;
}

bool FakePlatform::wglSwapIntervalEXT(int interval) {
  Log("wglSwapIntervalEXT(" + Dec(interval) + ")");
  return swap_extension_ && !Failing("wglSwapIntervalEXT");
}

bool FakePlatform::SwapBuffers(Handle dc) {
  Log("SwapBuffers(" + Hex(dc) + ")");
  return !Failing("SwapBuffers");
}

// --- Display modes -----------------------------------------------------------

bool FakePlatform::EnumDisplaySettings(std::uint32_t index, DisplayMode& out) {
  if (index >= display_modes_.size()) return false;
  out = display_modes_[index];
  return true;
}

long FakePlatform::ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) {
  if (mode == nullptr) {
    Log("ChangeDisplaySettings(none," + Hex(flags) + ")");
    return kDispChangeSuccessful;
  }
  Log("ChangeDisplaySettings(" + Dec(mode->width) + "x" + Dec(mode->height) + "x" +
      Dec(mode->bits_per_pixel) + "@" + Dec(mode->frequency) + ",fields=" + Hex(mode->fields) +
      "," + Hex(flags) + ")");
  display_changes_.push_back(*mode);
  if (display_change_results_.empty()) return kDispChangeSuccessful;
  const long result = display_change_results_.front();
  display_change_results_.pop_front();
  return result;
}

int FakePlatform::GetDesktopDeviceCaps(int index) {
  auto it = device_caps_.find(index);
  return it == device_caps_.end() ? 0 : it->second;
}

// --- Dialogs and shell -------------------------------------------------------

int FakePlatform::MessageBox(Handle owner, const std::u16string& text,
                             const std::u16string& caption, std::uint32_t style) {
  Log("MessageBox(" + Narrow(text) + "," + Narrow(caption) + "," + Hex(style) + ")");
  message_boxes_.push_back({owner, text, caption, style});
  if (Failing("MessageBox")) return 0;
  return message_box_result_;
}

bool FakePlatform::GetOpenFileName(const FileDialog& request, std::u16string& chosen) {
  Log("GetOpenFileName(" + Narrow(request.title) + ")");
  file_dialogs_.push_back(request);
  chosen = dialog_answer_;
  return !dialog_answer_.empty();
}

bool FakePlatform::GetSaveFileName(const FileDialog& request, std::u16string& chosen) {
  Log("GetSaveFileName(" + Narrow(request.title) + ")");
  file_dialogs_.push_back(request);
  chosen = dialog_answer_;
  return !dialog_answer_.empty();
}

bool FakePlatform::BrowseForFolder(const FolderDialog& request, std::u16string& chosen) {
  Log("BrowseForFolder(" + Narrow(request.title) + ")");
  folder_dialogs_.push_back(request);
  chosen = dialog_answer_;
  return !dialog_answer_.empty();
}

std::intptr_t FakePlatform::ShellExecute(const std::u16string& url) {
  Log("ShellExecute(" + Narrow(url) + ")");
  opened_urls_.push_back(url);
  return shell_result_;
}

// --- Process -----------------------------------------------------------------

std::u16string FakePlatform::GetModuleFileName() { return module_file_; }
std::u16string FakePlatform::GetCurrentDirectory() { return current_dir_; }

bool FakePlatform::SetCurrentDirectory(const std::u16string& path) {
  Log("SetCurrentDirectory(" + Narrow(path) + ")");
  if (Failing("SetCurrentDirectory")) return false;
  current_dir_ = path;
  return true;
}

bool FakePlatform::PathExists(const std::u16string& path) {
  return existing_paths_.count(path) != 0;
}

std::u16string FakePlatform::GetFullPathName(const std::u16string& path) {
  if (!path.empty() && path[0] == path_separator_) return path;
  return current_dir_ + path_separator_ + path;
}

char16_t FakePlatform::GetPathSeparator() { return path_separator_; }

void FakePlatform::SetUnhandledExceptionFilter(ExceptionFilter filter) {
  Log("SetUnhandledExceptionFilter");
  exception_filter_ = filter;
}

void FakePlatform::WriteStandardError(const char* text) {
  Log("WriteStandardError");
  standard_error_ += text;
}

void FakePlatform::SetFatalWatchdog(unsigned seconds) {
  Log("SetFatalWatchdog(" + Dec(seconds) + ")");
}

void FakePlatform::HeapOptimizeResources() { Log("HeapOptimizeResources"); }

// --- Errors ------------------------------------------------------------------

std::u16string FakePlatform::LastErrorText() { return last_error_; }

}  // namespace platform
