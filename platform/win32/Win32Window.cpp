// Top-level windows: the window class, its procedure and the Window object.
#include <utility>

#include "platform/win32/Win32Functions.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"TumbledeckWindow";
constexpr int kProgramIconId = 1;

std::wstring WindowText(HWND hwnd) {
  return FillBuffer([hwnd](wchar_t* buffer, unsigned long size) {
           return static_cast<unsigned long>(GetWindowTextW(hwnd, buffer, static_cast<int>(size)));
         })
      .value_or(L"");
}

Icon LoadProgramIcon(int metricX, int metricY) {
  return Icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                            MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON,
                                            GetSystemMetrics(metricX), GetSystemMetrics(metricY),
                                            0)));
}

// Gives the keyboard focus to the first child that takes it, so that a restored
// window's button answers the keyboard.
void FocusFirstTabStop(HWND parent) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED)) {
      SetFocus(child);
      return;
    }
  }
}

// Runs a handler of the window's form; the handler may destroy the window and drop
// the objects that refer to it, so the window's state is kept alive meanwhile.
void RaiseEvent(WindowCore& core, void (WindowEvents::*event)()) {
  const auto keep = core.shared_from_this();
  if (!keep->events) return;
  RunEvent([&keep, event] {
    if (keep->events) (keep->events->*event)();
  });
}

// A click on one of the window's buttons runs its handler; false for other commands.
bool OnButtonClick(WindowCore& core, WPARAM wParam, LPARAM lParam) {
  if (lParam == 0 || HIWORD(wParam) != BN_CLICKED) return false;
  const auto found = core.clickHandlers.find(static_cast<int>(LOWORD(wParam)));
  if (found == core.clickHandlers.end()) return false;
  const auto keep = core.shared_from_this();
  const auto handler = found->second;  // the handler may drop its button
  RunEvent(*handler);
  return true;
}

// The colours of one of the window's labels; null for other static controls.
HBRUSH LabelColours(WindowCore& core, HDC dc, HWND control) {
  const auto found = core.labels.find(control);
  if (found == core.labels.end()) return nullptr;
  SetTextColor(dc, found->second.fore);
  SetBkColor(dc, found->second.back);
  return found->second.brush.Get();
}

// The window went to a monitor of another resolution: its controls and fonts follow,
// and it takes the place and size Windows suggests, which lays its form out again.
void OnResolutionChanged(HWND hwnd, WindowCore& core, int dpi, const RECT& suggested) {
  core.dpi = dpi;
  ApplyResolution(core);
  SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnDestroyed(HWND hwnd, WindowCore& core) {
  // Children are gone by now: their fonts, brushes and icons may go too.
  core.labels.clear();
  core.fonts.clear();
  core.background.Reset();
  core.bigIcon.Reset();
  core.smallIcon.Reset();
  core.clickHandlers.clear();
  core.timers.clear();
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  core.hwnd = nullptr;
  NoteWindowDestroyed();
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* core = static_cast<WindowCore*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(core));
    core->hwnd = hwnd;
    NoteWindowCreated();
  }
  auto* core = reinterpret_cast<WindowCore*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!core) return DefWindowProcW(hwnd, message, wParam, lParam);

  switch (message) {
    case WM_SIZE:
      if (!core->creating) RaiseEvent(*core, &WindowEvents::OnResize);
      return 0;
    case WM_DPICHANGED:
      OnResolutionChanged(hwnd, *core, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE: {
      const auto keep = core->shared_from_this();
      RaiseEvent(*keep, &WindowEvents::OnClose);
      // Closing cannot be cancelled: destroy the window unless the handler already did.
      if (keep->hwnd) DestroyWindow(keep->hwnd);
      return 0;
    }
    case WM_COMMAND:
      if (OnButtonClick(*core, wParam, lParam)) return 0;
      break;
    case WM_TIMER:
      DeliverTimerTick(*core, static_cast<UINT_PTR>(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      if (HBRUSH brush = LabelColours(*core, reinterpret_cast<HDC>(wParam),
                                      reinterpret_cast<HWND>(lParam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(hwnd, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, core->background.Get());
      return 1;
    }
    case WM_SETFOCUS:
      FocusFirstTabStop(hwnd);
      return 0;
    case WM_NCDESTROY:
      OnDestroyed(hwnd, *core);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;  // each window paints its own colour
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc) != 0;
  }();
  if (!registered) throw InternalError();
}

struct Styles {
  DWORD style = 0;
  DWORD exStyle = 0;
};

Styles StylesFor(const WindowSpec& spec) {
  Styles s;
  switch (spec.border) {
    case Border::kSizable:
      s.style = WS_OVERLAPPEDWINDOW & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
      break;
    case Border::kFixedSingle:
      s.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
      break;
    case Border::kFixedToolWindow:
      s.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
      s.exStyle = WS_EX_TOOLWINDOW;
      break;
  }
  if (spec.border != Border::kFixedToolWindow) {
    if (spec.minimizeBox) s.style |= WS_MINIMIZEBOX;
    if (spec.maximizeBox) s.style |= WS_MAXIMIZEBOX;
  }
  s.style |= WS_CLIPCHILDREN;
  return s;
}

class Win32Window : public Window {
 public:
  Win32Window(std::shared_ptr<WindowCore> core, bool startMinimized)
      : core_(std::move(core)),
        showMinimized_(startMinimized),
        caption_(WindowText(core_->hwnd)) {}
  ~Win32Window() override {
    core_->events = nullptr;  // the form may be gone: no more events
    if (core_->hwnd) DestroyWindow(core_->hwnd);
  }
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  void SetCaption(const std::string& caption) override {
    caption_ = Widen(caption);
    if (core_->hwnd) SetWindowTextW(core_->hwnd, caption_.c_str());
  }
  std::string Caption() const override {
    return Narrow(core_->hwnd ? WindowText(core_->hwnd) : caption_);
  }

  Bounds GetBounds() const override {
    HWND h = core_->hwnd;
    if (!h) return lastBounds_;
    RECT r{};
    if (IsIconic(h)) {
      // A minimized window reports where it will be restored to.
      WINDOWPLACEMENT placement{};
      placement.length = sizeof placement;
      GetWindowPlacement(h, &placement);
      r = placement.rcNormalPosition;
    } else {
      GetWindowRect(h, &r);
    }
    lastBounds_ = ToTwips(r, core_->dpi);
    return lastBounds_;
  }

  void SetBounds(const Bounds& b) override {
    lastBounds_ = b;
    HWND h = core_->hwnd;
    if (!h) return;
    const auto [x, y, cx, cy] = ToPixels(b, core_->dpi);
    SetWindowPos(h, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  WindowState State() const override {
    HWND h = core_->hwnd;
    if (!h || !IsWindowVisible(h)) {
      return showMinimized_ ? WindowState::kMinimized : WindowState::kNormal;
    }
    if (IsIconic(h)) return WindowState::kMinimized;
    if (IsZoomed(h)) return WindowState::kMaximized;
    return WindowState::kNormal;
  }

  void Show() override {
    HWND h = core_->hwnd;
    if (!h || IsWindowVisible(h)) return;
    // Minimized: shown only as a task-bar button; the window that has the focus keeps it.
    // Otherwise at the size and place it had, maximized if it was.
    ShowWindow(h, showMinimized_ ? SW_SHOWMINNOACTIVE : SW_SHOW);
    UpdateWindow(h);
  }

  void Hide() override {
    HWND h = core_->hwnd;
    if (!h || !IsWindowVisible(h)) return;
    showMinimized_ = IsIconic(h) != FALSE;
    ShowWindow(h, SW_HIDE);
  }

  bool IsVisible() const override { return core_->hwnd && IsWindowVisible(core_->hwnd); }

  void Focus() override {
    HWND h = core_->hwnd;
    if (!h) return;
    SetForegroundWindow(h);
    SetFocus(h);
  }

  void Destroy() override {
    if (core_->hwnd) DestroyWindow(core_->hwnd);
  }

  std::unique_ptr<Button> AddButton(const ControlSpec& spec,
                                    std::function<void()> onClick) override {
    return CreateButton(core_, spec, std::move(onClick));
  }
  std::unique_ptr<Label> AddLabel(const ControlSpec& spec) override {
    return CreateLabel(core_, spec);
  }
  std::unique_ptr<RichTextView> AddRichTextView(const ControlSpec& spec) override {
    return CreateRichTextView(core_, spec);
  }
  std::unique_ptr<CardView> AddCardView(const ControlSpec& spec) override {
    return CreateCardView(core_, spec);
  }
  std::unique_ptr<Timer> AddTimer(int intervalMs, bool enabled,
                                  std::function<void()> onTick) override {
    return CreateTimer(core_, intervalMs, enabled, std::move(onTick));
  }

 private:
  std::shared_ptr<WindowCore> core_;
  bool showMinimized_;  // how a hidden window is to be shown
  std::wstring caption_;
  mutable Bounds lastBounds_;
};

// The outer rectangle of a client area at a resolution, frame and caption included.
RECT FrameFor(const WindowSpec& spec, const Styles& s, int dpi) {
  RECT frame{0, 0, TwipsToPixels(spec.clientWidth, dpi), TwipsToPixels(spec.clientHeight, dpi)};
  if (const auto adjustForDpi = Functions().adjustWindowRectExForDpi) {
    adjustForDpi(&frame, s.style, FALSE, s.exStyle, static_cast<UINT>(dpi));
  } else {
    AdjustWindowRectEx(&frame, s.style, FALSE, s.exStyle);
  }
  return frame;
}

// The client area its WindowSpec gives, whatever frame the system draws: Wine 10 draws a
// window's frame at the system's resolution where its monitor keeps another.
void KeepClientArea(HWND h, const WindowSpec& spec, int dpi) {
  RECT outer{}, client{};
  GetWindowRect(h, &outer);
  GetClientRect(h, &client);
  const int wider = TwipsToPixels(spec.clientWidth, dpi) - client.right;
  const int taller = TwipsToPixels(spec.clientHeight, dpi) - client.bottom;
  if (wider == 0 && taller == 0) return;
  SetWindowPos(h, nullptr, 0, 0, outer.right - outer.left + wider, outer.bottom - outer.top + taller,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

std::unique_ptr<Window> OpenTopLevelWindow(const WindowSpec& spec, WindowEvents& events) {
  RegisterWindowClass();
  const Styles s = StylesFor(spec);
  // A new window starts on the primary monitor, at its resolution.
  const int dpi = PrimaryMonitorDpi();
  const RECT frame = FrameFor(spec, s, dpi);
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  if (spec.clientLeft || spec.clientTop) {
    x = TwipsToPixels(spec.clientLeft.value_or(0), dpi) + frame.left;
    y = TwipsToPixels(spec.clientTop.value_or(0), dpi) + frame.top;
  }

  auto core = std::make_shared<WindowCore>();
  core->dpi = dpi;
  core->events = &events;
  core->background = Brush(CreateSolidBrush(ToColorRef(spec.backColor)));
  HWND h = CreateWindowExW(s.exStyle, kWindowClass, Widen(spec.caption).c_str(), s.style, x, y,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), core.get());
  if (!h) throw OutOfMemoryError();
  if (const int own = DpiOf(h); own != dpi) {
    // It opened on a monitor of another resolution: its client area follows.
    core->dpi = own;
    const RECT there = FrameFor(spec, s, own);
    SetWindowPos(h, nullptr, 0, 0, there.right - there.left, there.bottom - there.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  KeepClientArea(h, spec, core->dpi);
  core->creating = false;
  if (spec.programIcon) {
    core->bigIcon = LoadProgramIcon(SM_CXICON, SM_CYICON);
    core->smallIcon = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON);
    SendMessageW(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(core->bigIcon.Get()));
    SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(core->smallIcon.Get()));
  }
  return std::make_unique<Win32Window>(core, spec.startMinimized);
}

}  // namespace td::win32
