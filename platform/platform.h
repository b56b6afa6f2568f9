// The platform seam: every operation the system and graphics layers need of
// the operating system, shaped after the Win32 operations they stand for:
// windows, GL contexts, the message pump, the clock, dialogs and the
// process services (the fatal-fault filter, memory, paths, helper
// programs). Messages carry the Win32 numbers and wParam/lParam packing
// (platform/message_packing.h), so the translation table and the window
// procedure are written once above this seam and tested through the fake.
//
// The platform only reports (delivers messages, answers queries); shared
// state is changed by the layers above. Implementations: FakePlatform
// (records every call); on Linux platform/sdl/ (SDL2 and the system OpenGL)
// on top of platform/linux/ (the process services); on Windows
// platform/win32/. Programs install theirs through InstallNativePlatform
// (platform/native_platform.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_packing.h"
#include "platform/virtual_keys.h"
#include "platform/windows_macros_push.h"

namespace platform {

using Handle = std::uintptr_t;  // window, device context or GL context; 0 = none
using ThreadId = std::uint64_t;

struct Msg {
  Handle window = 0;
  std::uint32_t message = 0;
  std::uintptr_t wparam = 0;
  std::intptr_t lparam = 0;
};

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// The window procedure a window class is registered with. DispatchMessage
// calls it from the caller's own code (never from inside a platform
// callback), so an error it raises travels up through DispatchMessage.
using WindowProcedure = std::function<std::intptr_t(Handle window, std::uint32_t message,
                                                    std::uintptr_t wparam, std::intptr_t lparam)>;

// A pixel-format request: the fields of a PIXELFORMATDESCRIPTOR that the
// graphics layer sets. Counts are minimums.
struct PixelFormatRequest {
  std::uint16_t version = 1;
  std::uint32_t flags = 0;      // kPfd* bits
  std::uint8_t pixel_type = 0;  // kPfdTypeRgba
  std::uint8_t color_bits = 0;
  std::uint8_t alpha_bits = 0;
  std::uint8_t depth_bits = 0;
  std::uint8_t stencil_bits = 0;
  std::uint8_t accum_bits = 0;
  std::uint8_t layer_type = 0;  // kPfdMainPlane
};

// A display mode (DEVMODEA as far as the graphics layer uses it).
struct DisplayMode {
  std::uint32_t fields = 0;  // kDm* bits
  std::uint32_t bits_per_pixel = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t frequency = 0;
};

// An open- or save-file dialog request.
struct FileDialog {
  Handle owner = 0;
  std::u16string title;
  std::u16string initial_dir;  // empty: none
  std::u16string file_name;    // proposed file name
  // The type filter: pairs of a name and a pattern ("Images", "*.png;*.jpg").
  std::vector<std::pair<std::u16string, std::u16string>> filter;
  int filter_index = 0;  // 1-based group selected when the dialog opens; 0 none
  bool save = false;     // save dialog (asks before overwriting)
};

// The filter of fatal platform exceptions (SetUnhandledExceptionFilter): gets
// the exception code and ends the process.
using ExceptionFilter = void (*)(std::uint32_t code);

// A folder-browser request.
struct FolderDialog {
  Handle owner = 0;
  std::u16string title;
  std::u16string initial_path;  // selected when the browser opens
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Clock and sleep.
  virtual std::uint32_t timeGetTime() = 0;   // milliseconds, wraps at 2^32
  virtual void Sleep(std::uint32_t ms) = 0;  // 0 gives up the time slice
  virtual void timeBeginPeriod(std::uint32_t ms) = 0;
  virtual void timeEndPeriod(std::uint32_t ms) = 0;

  // Threads.
  virtual ThreadId GetCurrentThreadId() = 0;
  virtual std::uint32_t GetCurrentProcessId() = 0;

  // Message queue and dispatch.
  virtual bool PeekMessage(Msg& out) = 0;  // removes it; false when the queue is empty
  virtual void WaitMessage() = 0;          // sleeps until a message or input is available
  // Produces character messages (WM_CHAR) from key messages where the
  // platform does it this way; platforms that report typed text on their
  // own queue the WM_CHAR messages themselves.
  virtual void TranslateMessage(const Msg& msg) = 0;
  virtual std::intptr_t DispatchMessage(const Msg& msg) = 0;
  // Callable from any thread; the message arrives with window 0.
  virtual bool PostThreadMessage(ThreadId thread, std::uint32_t message, std::uintptr_t wparam,
                                 std::intptr_t lparam) = 0;
  virtual std::intptr_t DefWindowProc(Handle window, std::uint32_t message, std::uintptr_t wparam,
                                      std::intptr_t lparam) = 0;
  virtual Handle GetParent(Handle window) = 0;
  virtual std::uint32_t GetWindowStyle(Handle window) = 0;  // GetWindowLongA(GWL_STYLE)
  virtual bool IsDialogMessage(Handle dialog, const Msg& msg) = 0;

  // Key state.
  virtual std::int16_t GetKeyState(int virtual_key) = 0;  // negative while down

  // Pointer and cursor.
  virtual bool GetCursorPos(Point& out) = 0;  // screen coordinates
  virtual bool SetCursorPos(std::int32_t x, std::int32_t y) = 0;
  virtual bool ScreenToClient(Handle window, Point& point) = 0;
  virtual bool ClientToScreen(Handle window, Point& point) = 0;
  virtual Handle SetCapture(Handle window) = 0;  // returns the previous capture window
  virtual bool ReleaseCapture() = 0;
  virtual int ShowCursor(bool show) = 0;            // returns the new display counter
  virtual bool TrackMouseLeave(Handle window) = 0;  // one WM_MOUSELEAVE when it leaves

  // Windows and activation.
  virtual Handle GetActiveWindow() = 0;
  virtual Handle GetFocus() = 0;
  virtual Handle SetFocus(Handle window) = 0;
  virtual bool IsIconic(Handle window) = 0;
  virtual std::uint32_t GetWindowThreadProcessId(Handle window) = 0;  // owning process id
  virtual bool GetClientRect(Handle window, Rect& out) = 0;
  virtual bool RegisterClass(const std::u16string& name, std::uint32_t style,
                             WindowProcedure procedure) = 0;
  virtual bool GetDesktopRect(Rect& out) = 0;  // GetWindowRect(GetDesktopWindow())
  virtual bool AdjustWindowRectEx(Rect& rect, std::uint32_t style, bool menu,
                                  std::uint32_t ex_style) = 0;
  virtual Handle CreateWindowEx(std::uint32_t ex_style, const std::u16string& class_name,
                                const std::u16string& title, std::uint32_t style, std::int32_t x,
                                std::int32_t y, std::int32_t width, std::int32_t height) = 0;
  virtual bool ShowWindow(Handle window, int command) = 0;
  virtual bool ValidateRect(Handle window) = 0;
  // Sends WM_DESTROY to the window's procedure, then forgets the window.
  virtual bool DestroyWindow(Handle window) = 0;

  // GL contexts.
  virtual Handle GetDC(Handle window) = 0;
  virtual int ChoosePixelFormat(Handle dc, const PixelFormatRequest& request) = 0;  // 0: none
  virtual bool SetPixelFormat(Handle dc, int format, const PixelFormatRequest& request) = 0;
  virtual Handle wglCreateContext(Handle dc) = 0;
  virtual bool wglDeleteContext(Handle context) = 0;
  virtual bool wglMakeCurrent(Handle dc, Handle context) = 0;  // 0, 0 unbinds
  virtual bool wglShareLists(Handle existing, Handle added) = 0;
  // False when the swap-interval extension is missing.
  virtual bool HasSwapIntervalExtension() = 0;
  virtual bool wglSwapIntervalEXT(int interval) = 0;
  virtual bool SwapBuffers(Handle dc) = 0;

  // Display modes and desktop metrics.
  virtual bool EnumDisplaySettings(std::uint32_t index, DisplayMode& out) = 0;
  // mode nullptr: back to the desktop mode. Returns kDispChangeSuccessful (0)
  // on success.
  virtual long ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) = 0;
  virtual int GetDesktopDeviceCaps(int index) = 0;  // kHorzRes, kVertRes, kBitsPixel, kVRefresh

  // Dialogs and shell. Texts are UTF-16 here; backends convert. Where the
  // system's file names, paths and arguments are bytes, a byte that is not
  // part of valid UTF-8 is kept as U+DC80 + byte both ways (FromSystemBytes
  // and ToSystemBytes, support/text.h), so every name round-trips.
  virtual int MessageBox(Handle owner, const std::u16string& text, const std::u16string& caption,
                         std::uint32_t style) = 0;  // the pressed button's id; 0 on failure
  virtual bool GetOpenFileName(const FileDialog& request, std::u16string& chosen) = 0;
  virtual bool GetSaveFileName(const FileDialog& request, std::u16string& chosen) = 0;
  virtual bool BrowseForFolder(const FolderDialog& request, std::u16string& chosen) = 0;
  // Opens a URL with the desktop's default action; above 32 on success.
  virtual std::intptr_t ShellExecute(const std::u16string& url) = 0;

  // Process: the arguments, the executable, the current directory and paths.
  // The program's arguments as texts, given the argc and argv its entry
  // received. By default argv's bytes (FromSystemBytes). A platform whose own
  // command line is wider than argv (Windows: UTF-16, where argv is in the
  // ANSI code page and loses what that page lacks) gives its own instead,
  // when argv holds the same arguments.
  virtual std::vector<std::u16string> GetCommandLineArguments(int argc, const char* const* argv);
  virtual std::u16string GetModuleFileName() = 0;  // the executable's full path
  virtual std::u16string GetCurrentDirectory() = 0;
  virtual bool SetCurrentDirectory(const std::u16string& path) = 0;
  virtual bool PathExists(const std::u16string& path) = 0;  // a file or folder
  virtual std::u16string GetFullPathName(const std::u16string& path) = 0;
  // The character between the folders of a path: "/" or "\".
  virtual char16_t GetPathSeparator() = 0;

  // Process: fatal faults. The filter runs on the faulting thread, inside the
  // platform's fault handling, with the platform's 32-bit exception code
  // (kExceptionAccessViolation, ... below); it reports and must not
  // return. A fault on another thread while the filter runs waits for it
  // (the filter ends the process); a fault inside the filter's own report
  // ends the process at once. Installing again replaces it.
  virtual void SetUnhandledExceptionFilter(ExceptionFilter filter) = 0;
  // Async-signal-safe: writes text to standard error, unbuffered (WriteFile
  // on the standard error handle). For the fault report's first line.
  virtual void WriteStandardError(const char* text) = 0;
  // Async-signal-safe, for the fault report: ends the process with exit
  // status kFatalExitStatus, that of a fatal error, if it still runs after the
  // given seconds; a message box still on the screen goes with it. Arming
  // again replaces the time.
  virtual void SetFatalWatchdog(unsigned seconds) = 0;

  // Process: memory. Lets the allocator hand freed large blocks back to the
  // system at once instead of keeping them for reuse (HeapSetInformation
  // with HeapOptimizeResources), so a long run keeps no memory it freed.
  // Called once by a program's entry, before it allocates much.
  virtual void HeapOptimizeResources() = 0;

  // Why the last failed operation failed, in the platform's own words (for
  // example why no window could be opened); empty when nothing failed yet.
  virtual std::u16string LastErrorText() = 0;
};

// The installed platform. Installed before any module starts and never
// destroyed, so it outlives every at-exit handler. Raises a RuntimeError
// naming InstallNativePlatform when none is installed.
Platform& Current();
// Replaces the installed platform (tests install a FakePlatform). The caller
// keeps ownership and keeps it alive while installed.
void Install(Platform& platform);
bool IsInstalled();

// Message numbers.
inline constexpr std::uint32_t WM_NULL = 0x0000;
inline constexpr std::uint32_t WM_CREATE = 0x0001;
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_ACTIVATE = 0x0006;
inline constexpr std::uint32_t WM_SETFOCUS = 0x0007;
inline constexpr std::uint32_t WM_KILLFOCUS = 0x0008;
inline constexpr std::uint32_t WM_PAINT = 0x000F;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_QUIT = 0x0012;
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;
inline constexpr std::uint32_t WM_KEYUP = 0x0101;
inline constexpr std::uint32_t WM_CHAR = 0x0102;
inline constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
inline constexpr std::uint32_t WM_SYSKEYUP = 0x0105;
inline constexpr std::uint32_t WM_SYSCHAR = 0x0106;
inline constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr std::uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr std::uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr std::uint32_t WM_MOUSELEAVE = 0x02A3;
// The private thread message of deferred calls to the main thread.
inline constexpr std::uint32_t kDeferredCallMessage = 0x7001;

// The exit status of a process ended by a fatal error or exception: -1 as
// the 8-bit status every system reports.
inline constexpr int kFatalExitStatus = 255;

// Fatal exception codes as Windows numbers them (EXCEPTION_ACCESS_VIOLATION,
// ...); other platforms turn their faults into these.
inline constexpr std::uint32_t kExceptionDatatypeMisalignment = 0x80000002u;
inline constexpr std::uint32_t kExceptionBreakpoint = 0x80000003u;
inline constexpr std::uint32_t kExceptionSingleStep = 0x80000004u;
inline constexpr std::uint32_t kExceptionAccessViolation = 0xC0000005u;
inline constexpr std::uint32_t kExceptionInPageError = 0xC0000006u;
inline constexpr std::uint32_t kExceptionIllegalInstruction = 0xC000001Du;
inline constexpr std::uint32_t kExceptionNoncontinuable = 0xC0000025u;
inline constexpr std::uint32_t kExceptionInvalidDisposition = 0xC0000026u;
inline constexpr std::uint32_t kExceptionArrayBoundsExceeded = 0xC000008Cu;
inline constexpr std::uint32_t kExceptionFltDenormalOperand = 0xC000008Du;
inline constexpr std::uint32_t kExceptionFltDivideByZero = 0xC000008Eu;
inline constexpr std::uint32_t kExceptionFltInexactResult = 0xC000008Fu;
inline constexpr std::uint32_t kExceptionFltInvalidOperation = 0xC0000090u;
inline constexpr std::uint32_t kExceptionFltOverflow = 0xC0000091u;
inline constexpr std::uint32_t kExceptionFltStackCheck = 0xC0000092u;
inline constexpr std::uint32_t kExceptionFltUnderflow = 0xC0000093u;
inline constexpr std::uint32_t kExceptionIntDivideByZero = 0xC0000094u;
inline constexpr std::uint32_t kExceptionIntOverflow = 0xC0000095u;
inline constexpr std::uint32_t kExceptionPrivInstruction = 0xC0000096u;
inline constexpr std::uint32_t kExceptionStackOverflow = 0xC00000FDu;

// WM_MOUSEMOVE wParam flags of held buttons.
inline constexpr std::uintptr_t MK_LBUTTON = 0x0001;
inline constexpr std::uintptr_t MK_RBUTTON = 0x0002;
inline constexpr std::uintptr_t MK_SHIFT = 0x0004;
inline constexpr std::uintptr_t MK_CONTROL = 0x0008;
inline constexpr std::uintptr_t MK_MBUTTON = 0x0010;

// WM_ACTIVATE low words.
inline constexpr std::uintptr_t WA_INACTIVE = 0;
inline constexpr std::uintptr_t WA_ACTIVE = 1;
inline constexpr std::uintptr_t WA_CLICKACTIVE = 2;

// WM_SYSCOMMAND wParams.
inline constexpr std::uintptr_t SC_CLOSE = 0xF060;
inline constexpr std::uintptr_t SC_KEYMENU = 0xF100;
inline constexpr std::uintptr_t SC_SCREENSAVE = 0xF140;
inline constexpr std::uintptr_t SC_MONITORPOWER = 0xF170;

// Window styles.
inline constexpr std::uint32_t WS_POPUP = 0x80000000u;
inline constexpr std::uint32_t WS_CHILD = 0x40000000u;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000u;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000u;
inline constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000u;
inline constexpr std::uint32_t CS_VREDRAW = 0x0001;
inline constexpr std::uint32_t CS_HREDRAW = 0x0002;
inline constexpr std::uint32_t CS_OWNDC = 0x0020;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;

// Pixel-format request bits.
inline constexpr std::uint32_t kPfdDoubleBuffer = 0x00000001;
inline constexpr std::uint32_t kPfdDrawToWindow = 0x00000004;
inline constexpr std::uint32_t kPfdSupportOpenGL = 0x00000020;
inline constexpr std::uint8_t kPfdTypeRgba = 0;
inline constexpr std::uint8_t kPfdMainPlane = 0;

// Display-mode fields and results.
inline constexpr std::uint32_t kDmBitsPerPel = 0x00040000;
inline constexpr std::uint32_t kDmPelsWidth = 0x00080000;
inline constexpr std::uint32_t kDmPelsHeight = 0x00100000;
inline constexpr std::uint32_t kDmDisplayFrequency = 0x00400000;
inline constexpr std::uint32_t kCdsFullScreen = 0x00000004;
inline constexpr long kDispChangeSuccessful = 0;
inline constexpr long kDispChangeFailed = -1;

// Desktop device capabilities.
inline constexpr int kHorzRes = 8;
inline constexpr int kVertRes = 10;
inline constexpr int kBitsPixel = 12;
inline constexpr int kVRefresh = 116;

// Message-box styles and results.
inline constexpr std::uint32_t MB_OK = 0x0;
inline constexpr std::uint32_t MB_OKCANCEL = 0x1;
inline constexpr std::uint32_t MB_YESNOCANCEL = 0x3;
inline constexpr std::uint32_t MB_ICONWARNING = 0x30;
inline constexpr std::uint32_t MB_ICONINFORMATION = 0x40;
inline constexpr std::uint32_t MB_TOPMOST = 0x40000;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

}  // namespace platform

#include "platform/windows_macros_pop.h"
