// The screen: opening windows, the message loop and yields, message boxes, the report of an
// unhandled error, and the screen's measures.
#include "platform/win32/Win32Ui.h"

#include <cmath>
#include <new>
#include <set>
#include <utility>

#include "platform/win32/Win32Functions.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Text.h"

namespace td::win32 {
namespace {

constexpr wchar_t kTitle[] = L"Tumbledeck";
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: the resolution windows are laid out at

// The user interface's own state: there is one user-interface thread.
struct UiState {
  int liveWindows = 0;
  bool reporting = false;  // the unhandled-error report is up: no handler runs
};

UiState& State() {
  static UiState state;
  return state;
}

class Win32Screen : public Screen {
 public:

  std::unique_ptr<Window> OpenWindow(const WindowSpec& spec, WindowEvents& events) override {
    return OpenTopLevelWindow(spec, events);
  }

  double ScreenWidth() const override {
    return PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), PrimaryMonitorDpi());
  }

  void DoEvents() override {
    // Everything waiting, timer ticks included; a timer that falls due again while
    // this runs ends the round, so that slow ticks cannot keep it going for ever. The
    // program posts no WM_QUIT: its loop ends with its last window.
    std::set<std::pair<HWND, WPARAM>> ticked;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      const bool again =
          msg.message == WM_TIMER && !ticked.insert({msg.hwnd, msg.wParam}).second;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (again) return;
    }
  }

  void RunUntilNoWindows() override {
    MSG msg;
    while (State().liveWindows > 0 && GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  void ShowMessage(const std::string& text) override {
    MessageBoxW(nullptr, Widen(text).c_str(), kTitle, MB_OK | MB_SETFOREGROUND);
  }

  [[noreturn]] void ReportUnhandled(const RunError& error) override { ReportAndExit(error); }
};

}  // namespace

int PrimaryMonitorDpi() {
  // Windows 8.1 and later tell each monitor's resolution as it is now: its scale may
  // have changed since the session began, and a window follows its monitor's (Wine 10
  // keeps a monitor at the resolution its session began with). The system's resolution
  // is the primary monitor's at the start of the session.
  if (const auto getDpiForMonitor = Functions().getDpiForMonitor) {
    UINT x = 0, y = 0;
    const HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (SUCCEEDED(getDpiForMonitor(primary, kEffectiveDpi, &x, &y)) && x > 0) {
      return static_cast<int>(x);
    }
  }
  if (const auto getDpiForSystem = Functions().getDpiForSystem) {
    return static_cast<int>(getDpiForSystem());
  }
  const ScreenDc screen(GetDC(nullptr));
  const int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kStandardDpi;
}

int DpiOf(HWND window) {
  // Windows 10 and Wine know each window's own; older systems have one for all.
  const auto getDpiForWindow = Functions().getDpiForWindow;
  const UINT dpi = window && getDpiForWindow ? getDpiForWindow(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : PrimaryMonitorDpi();
}

COLORREF ToColorRef(Colour colour) {
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFFu));
  return colour & 0xFFFFFFu;
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
  // Every description is the runtime's own, in plain ASCII.
  const std::wstring text = Widen("Run-time error '" + std::to_string(error.Number()) +
                                  "':\r\n\r\n" + error.what());
  MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | MB_SETFOREGROUND);
  FinishClipboard();  // what the user copied stays on the clipboard
  ExitProcess(1);
}

RunError ReportedError(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const RunError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return OutOfMemoryError();
  } catch (...) {
    return InternalError();
  }
}

void RunEvent(const std::function<void()>& handler) {
  if (State().reporting || !handler) return;
  try {
    handler();
  } catch (...) {
    // Nothing may unwind through the system's message dispatch.
    ReportAndExit(ReportedError(std::current_exception()));
  }
}

std::unique_ptr<Screen> CreateScreen() { return std::make_unique<Win32Screen>(); }

}  // namespace td::win32
