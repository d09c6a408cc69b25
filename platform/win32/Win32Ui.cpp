// Ui: opening windows, the message loop and yields, message boxes, the report of an
// unhandled error, and the screen's measures.
#include "platform/win32/Win32Ui.h"

#include <cmath>
#include <new>
#include <set>
#include <utility>

#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Text.h"

namespace td::win32 {
namespace {

constexpr wchar_t kTitle[] = L"Tumbledeck";

// The user interface's own state: there is one user-interface thread.
struct UiState {
  int liveWindows = 0;
  bool reporting = false;  // the unhandled-error report is up: no handler runs
};

UiState& State() {
  static UiState state;
  return state;
}

class Win32Ui : public Ui {
 public:
  Win32Ui() = default;
  ~Win32Ui() override { FinishClipboard(); }
  Win32Ui(const Win32Ui&) = delete;
  Win32Ui& operator=(const Win32Ui&) = delete;

  std::unique_ptr<Window> OpenWindow(const WindowSpec& spec, WindowEvents& events) override {
    return OpenTopLevelWindow(spec, events);
  }

  double ScreenWidth() const override {
    return PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), SystemDpi());
  }

  void DoEvents() override {
    // Everything waiting, timer ticks included; a timer that falls due again while
    // this runs ends the round, so that slow ticks cannot keep it going for ever.
    std::set<std::pair<HWND, WPARAM>> ticked;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // leave it to the outer loop
        return;
      }
      const bool again =
          msg.message == WM_TIMER && !ticked.insert({msg.hwnd, msg.wParam}).second;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (again) return;
    }
  }

  void RunUntilNoWindows() override {
    MSG msg;
    while (State().liveWindows > 0) {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got == 0 || got == -1) return;  // WM_QUIT, or a broken queue
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  void ShowMessage(const std::string& text) override {
    MessageBoxW(nullptr, Widen(text).c_str(), kTitle, MB_OK | MB_SETFOREGROUND);
  }

  [[noreturn]] void ReportUnhandled(const RunError& error) override { ReportAndExit(error); }

  std::unique_ptr<Picture> LoadPicture(const std::string& path) override {
    return LoadPictureFile(path);
  }
  void ClearClipboard() override { ClearSystemClipboard(); }
  void PutOnClipboard(const Picture& picture) override { PutPictureOnClipboard(picture); }
};

}  // namespace

int SystemDpi() {
  // Windows 10 and Wine tell it directly; older systems through the screen.
  static const auto getDpiForSystem = User32Function<UINT(WINAPI*)()>("GetDpiForSystem");
  if (getDpiForSystem) return static_cast<int>(getDpiForSystem());
  const ScreenDc screen(GetDC(nullptr));
  const int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kStandardDpi;
}

int DpiOf(HWND window) {
  // Windows 10 and Wine know each window's own; older systems have one for all.
  static const auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  const UINT dpi = window && getDpiForWindow ? getDpiForWindow(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

COLORREF ToColorRef(uint32_t rgb) {
  if (rgb & 0x80000000u) return GetSysColor(static_cast<int>(rgb & 0xFFu));
  return rgb & 0xFFFFFFu;
}

void NoteWindowCreated() { ++State().liveWindows; }

void NoteWindowDestroyed() {
  if (--State().liveWindows == 0) {
    // Wake a waiting message loop so that it sees the last window gone.
    PostMessageW(nullptr, WM_NULL, 0, 0);
  }
}

void ReportAndExit(const RunError& error) {
  State().reporting = true;
  std::wstring text;
  try {
    text = Widen("Run-time error '" + std::to_string(error.Number()) + "':\r\n\r\n" +
                 error.what());
  } catch (const RunError&) {
    text = L"Run-time error '" + std::to_wstring(error.Number()) + L"'";
  }
  MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | MB_SETFOREGROUND);
  FinishClipboard();  // what the user copied stays on the clipboard
  ExitProcess(1);
}

void RunEvent(const std::function<void()>& handler) {
  if (State().reporting || !handler) return;
  try {
    handler();
  } catch (const RunError& error) {
    ReportAndExit(error);
  } catch (const std::bad_alloc&) {
    ReportAndExit(OutOfMemoryError());
  } catch (...) {
    // Nothing may unwind through the system's message dispatch.
    ReportAndExit(InternalError());
  }
}

std::unique_ptr<Ui> CreateUi() { return std::make_unique<Win32Ui>(); }

}  // namespace td::win32
