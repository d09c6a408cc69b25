// Ui: top-level windows, buttons, labels, timers, the message loop, message boxes and
// the report of an unhandled error.
#include "platform/win32/Win32Ui.h"

#include <cmath>
#include <new>
#include <set>
#include <utility>

#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Text.h"

namespace td::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"TumbledeckWindow";
constexpr wchar_t kTitle[] = L"Tumbledeck";
constexpr int kProgramIconId = 1;

// Process-wide state of the user interface; there is one user-interface thread.
int g_liveWindows = 0;
bool g_reporting = false;

struct ScreenMetrics {
  double twipsPerPixelX = 15.0;
  double twipsPerPixelY = 15.0;
  int dpiY = 96;
};

const ScreenMetrics& Metrics() {
  static const ScreenMetrics metrics = [] {
    ScreenMetrics m;
    if (HDC screen = GetDC(nullptr)) {
      const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
      const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
      if (dpiX > 0) m.twipsPerPixelX = 1440.0 / dpiX;
      if (dpiY > 0) {
        m.twipsPerPixelY = 1440.0 / dpiY;
        m.dpiY = dpiY;
      }
    }
    return m;
  }();
  return metrics;
}

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

// Windows that must stay out of the task bar without being tool windows get this
// hidden window as their owner.
HWND HiddenOwner() {
  static HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
  return owner;
}

HICON LoadProgramIcon(int cx, int cy) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                       MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON, cx, cy, 0));
}

void ReleaseWindowResources(WindowCore& core) {
  for (auto& [child, look] : core.labels) {
    if (look.brush) DeleteObject(look.brush);
  }
  core.labels.clear();
  for (HFONT font : core.fonts) DeleteObject(font);
  core.fonts.clear();
  if (core.background) DeleteObject(core.background);
  core.background = nullptr;
  if (core.bigIcon) DestroyIcon(core.bigIcon);
  if (core.smallIcon) DestroyIcon(core.smallIcon);
  core.bigIcon = core.smallIcon = nullptr;
  core.clickHandlers.clear();
  core.timers.clear();
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

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* core = static_cast<WindowCore*>(create->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(core));
    core->hwnd = hwnd;
    ++g_liveWindows;
  }
  auto* core = reinterpret_cast<WindowCore*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!core) return DefWindowProcW(hwnd, message, wParam, lParam);

  switch (message) {
    case WM_SIZE:
      if (!core->creating && core->events) {
        // The handler may destroy the window and drop its objects: keep the core alive.
        const auto keep = core->shared_from_this();
        RunEvent([&keep] {
          if (keep->events) keep->events->OnResize();
        });
      }
      return 0;

    case WM_CLOSE: {
      const auto keep = core->shared_from_this();
      if (keep->events) {
        RunEvent([&keep] {
          if (keep->events) keep->events->OnClose();
        });
      }
      // Closing cannot be cancelled: destroy the window unless the handler already did.
      if (keep->hwnd) DestroyWindow(keep->hwnd);
      return 0;
    }

    case WM_COMMAND:
      if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
        const auto found = core->clickHandlers.find(static_cast<int>(LOWORD(wParam)));
        if (found != core->clickHandlers.end()) {
          const auto keep = core->shared_from_this();
          const auto handler = found->second;  // the handler may drop its button
          RunEvent(*handler);
          return 0;
        }
      }
      break;

    case WM_TIMER: {
      const auto found = core->timers.find(static_cast<UINT_PTR>(wParam));
      if (found == core->timers.end()) return 0;
      const auto keep = core->shared_from_this();
      const auto timer = found->second;  // the tick may drop its Timer object
      // A nested yield inside the tick must not run the same tick again.
      if (!timer->enabled || timer->inTick) return 0;
      timer->inTick = true;
      struct Reset {
        TimerState& state;
        ~Reset() { state.inTick = false; }
      } reset{*timer};
      RunEvent(timer->onTick);
      return 0;
    }

    case WM_CTLCOLORSTATIC: {
      const auto found = core->labels.find(reinterpret_cast<HWND>(lParam));
      if (found == core->labels.end()) break;
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, found->second.fore);
      SetBkColor(dc, found->second.back);
      return reinterpret_cast<LRESULT>(found->second.brush);
    }

    case WM_ERASEBKGND:
      if (core->background) {
        RECT client{};
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, core->background);
        return 1;
      }
      break;

    case WM_SETFOCUS:
      FocusFirstTabStop(hwnd);
      return 0;

    case WM_NCDESTROY:
      ReleaseWindowResources(*core);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      core->hwnd = nullptr;
      if (--g_liveWindows == 0) {
        // Wake a waiting message loop so that it sees the last window gone.
        PostMessageW(nullptr, WM_NULL, 0, 0);
      }
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

class Win32Button : public ChildControl<Button> {
 public:
  Win32Button(const std::shared_ptr<WindowCore>& core, HWND hwnd, const Bounds& bounds, int id)
      : ChildControl(core, hwnd, bounds), id_(id) {}
  ~Win32Button() override {
    if (auto core = Core()) core->clickHandlers.erase(id_);
  }
  Win32Button(const Win32Button&) = delete;
  Win32Button& operator=(const Win32Button&) = delete;
  void SetCaption(const std::string& caption) override {
    if (HWND h = Live()) SetWindowTextW(h, Widen(caption).c_str());
  }

 private:
  int id_;
};

class Win32Label : public ChildControl<Label> {
 public:
  Win32Label(const std::shared_ptr<WindowCore>& core, HWND hwnd, const Bounds& bounds)
      : ChildControl(core, hwnd, bounds), key_(hwnd) {}
  ~Win32Label() override {
    auto core = Core();
    if (!core) return;
    const auto found = core->labels.find(key_);
    if (found == core->labels.end()) return;
    DestroyChild();  // before its brush goes
    if (found->second.brush) DeleteObject(found->second.brush);
    core->labels.erase(found);
  }
  Win32Label(const Win32Label&) = delete;
  Win32Label& operator=(const Win32Label&) = delete;
  void SetCaption(const std::string& caption) override {
    if (HWND h = Live()) SetWindowTextW(h, Widen(caption).c_str());
  }
  void SetForeColor(int32_t rgb) override {
    HWND h = Live();
    if (!h) return;
    auto core = Core();
    const auto found = core->labels.find(key_);
    if (found == core->labels.end()) return;
    found->second.fore = ToColorRef(static_cast<uint32_t>(rgb));
    InvalidateRect(h, nullptr, TRUE);
  }

 private:
  HWND key_;
};

class Win32Timer : public Timer {
 public:
  Win32Timer(const std::shared_ptr<WindowCore>& core, std::shared_ptr<TimerState> state)
      : core_(core), state_(std::move(state)) {
    if (state_->enabled) Start();
  }
  ~Win32Timer() override {
    if (auto core = core_.lock()) {
      if (core->hwnd) KillTimer(core->hwnd, state_->id);
      core->timers.erase(state_->id);
    }
  }
  Win32Timer(const Win32Timer&) = delete;
  Win32Timer& operator=(const Win32Timer&) = delete;

  void SetEnabled(bool enabled) override {
    state_->enabled = enabled;
    if (enabled) {
      Start();  // (re)starts the interval
    } else if (auto core = core_.lock(); core && core->hwnd) {
      KillTimer(core->hwnd, state_->id);
    }
  }
  bool Enabled() const override { return state_->enabled; }

 private:
  void Start() {
    auto core = core_.lock();
    // An interval of zero never ticks, as in the classic runtime.
    if (core && core->hwnd && state_->interval > 0) {
      SetTimer(core->hwnd, state_->id, state_->interval, nullptr);
    }
  }

  std::weak_ptr<WindowCore> core_;
  std::shared_ptr<TimerState> state_;
};

class Win32Window : public Window {
 public:
  Win32Window(std::shared_ptr<WindowCore> core, WindowState initialState)
      : core_(std::move(core)), hiddenState_(initialState) {
    caption_ = WindowText(core_->hwnd);
  }
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
    lastBounds_ = Bounds{r.left * TwipsPerPixelX(), r.top * TwipsPerPixelY(),
                         (r.right - r.left) * TwipsPerPixelX(),
                         (r.bottom - r.top) * TwipsPerPixelY()};
    return lastBounds_;
  }

  void SetBounds(const Bounds& b) override {
    lastBounds_ = b;
    HWND h = core_->hwnd;
    if (!h) return;
    const int x = ToPixelsX(b.left), y = ToPixelsY(b.top);
    const int cx = ToPixelsX(b.width), cy = ToPixelsY(b.height);
    if (IsWindowVisible(h) && (IsIconic(h) || IsZoomed(h))) {
      // Moving a minimized or maximized window changes where it restores to.
      WINDOWPLACEMENT placement{};
      placement.length = sizeof placement;
      GetWindowPlacement(h, &placement);
      placement.rcNormalPosition = RECT{x, y, x + cx, y + cy};
      placement.showCmd = IsIconic(h) ? SW_SHOWMINNOACTIVE : SW_SHOWMAXIMIZED;
      SetWindowPlacement(h, &placement);
      return;
    }
    SetWindowPos(h, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  WindowState State() const override {
    HWND h = core_->hwnd;
    if (!h || !IsWindowVisible(h)) return hiddenState_;
    if (IsIconic(h)) return WindowState::kMinimized;
    if (IsZoomed(h)) return WindowState::kMaximized;
    return WindowState::kNormal;
  }

  void SetState(WindowState state) override {
    HWND h = core_->hwnd;
    if (!h || !IsWindowVisible(h)) {
      hiddenState_ = state;  // applied when the window is shown
      return;
    }
    switch (state) {
      case WindowState::kMinimized: ShowWindow(h, SW_MINIMIZE); break;
      case WindowState::kMaximized: ShowWindow(h, SW_MAXIMIZE); break;
      case WindowState::kNormal: ShowWindow(h, SW_RESTORE); break;
    }
  }

  void Show() override {
    HWND h = core_->hwnd;
    if (!h || IsWindowVisible(h)) return;
    switch (hiddenState_) {
      case WindowState::kMinimized:
        // Shown only as a task-bar button; the window that has the focus keeps it.
        ShowWindow(h, SW_SHOWMINNOACTIVE);
        break;
      case WindowState::kMaximized:
        ShowWindow(h, SW_SHOWMAXIMIZED);
        break;
      case WindowState::kNormal:
        ShowWindow(h, (IsIconic(h) || IsZoomed(h)) ? SW_RESTORE : SW_SHOW);
        break;
    }
    UpdateWindow(h);
  }

  void Hide() override {
    HWND h = core_->hwnd;
    if (!h || !IsWindowVisible(h)) return;
    hiddenState_ = State();
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
    int id = 0;
    HWND h = CreateChildWindow(*core_, L"BUTTON", spec.caption,
                               WS_TABSTOP | BS_PUSHBUTTON, 0, spec.bounds, &id);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    // First in the tab order, whatever was placed before it.
    SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    core_->clickHandlers[id] = std::make_shared<std::function<void()>>(std::move(onClick));
    return std::make_unique<Win32Button>(core_, h, spec.bounds, id);
  }

  std::unique_ptr<Label> AddLabel(const ControlSpec& spec) override {
    const DWORD align = spec.centred ? SS_CENTER : SS_LEFT;
    HWND h = CreateChildWindow(*core_, L"STATIC", spec.caption, align | SS_NOPREFIX, 0,
                               spec.bounds, nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (spec.font) {
      // The font mapper substitutes the nearest face when the named one is missing.
      const int height = -static_cast<int>(std::lround(spec.font->points * Metrics().dpiY / 72.0));
      HFONT made = CreateFontW(height, 0, 0, 0, spec.font->weight, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               Widen(spec.font->face).c_str());
      if (made) {
        core_->fonts.push_back(made);
        font = made;
      }
    }
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    LabelLook look;
    look.fore = ToColorRef(spec.foreColor);
    look.back = ToColorRef(spec.backColor);
    look.brush = CreateSolidBrush(look.back);
    core_->labels[h] = look;
    InvalidateRect(h, nullptr, TRUE);
    return std::make_unique<Win32Label>(core_, h, spec.bounds);
  }

  std::unique_ptr<RichTextView> AddRichTextView(const ControlSpec& spec) override {
    return CreateRichTextView(core_, spec);
  }

  std::unique_ptr<Timer> AddTimer(int intervalMs, bool enabled,
                                  std::function<void()> onTick) override {
    auto state = std::make_shared<TimerState>();
    state->id = core_->nextTimerId++;
    state->interval = intervalMs > 0 ? static_cast<UINT>(intervalMs) : 0;
    state->enabled = enabled;
    state->onTick = std::move(onTick);
    core_->timers[state->id] = state;
    return std::make_unique<Win32Timer>(core_, state);
  }

 private:
  std::shared_ptr<WindowCore> core_;
  WindowState hiddenState_;
  std::wstring caption_;
  mutable Bounds lastBounds_;
};

class Win32Ui : public Ui {
 public:
  std::unique_ptr<Window> OpenWindow(const WindowSpec& spec, WindowEvents& events) override {
    RegisterWindowClass();
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND owner = nullptr;
    switch (spec.border) {
      case Border::kSizable:
        style = WS_OVERLAPPEDWINDOW & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
        break;
      case Border::kFixedSingle:
        style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        break;
      case Border::kFixedToolWindow:
        style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        exStyle = WS_EX_TOOLWINDOW;
        break;
    }
    if (spec.border != Border::kFixedToolWindow) {
      if (spec.minimizeBox) style |= WS_MINIMIZEBOX;
      if (spec.maximizeBox) style |= WS_MAXIMIZEBOX;
      if (!spec.showInTaskbar) owner = HiddenOwner();  // an owned window has no button
    } else if (spec.showInTaskbar) {
      exStyle |= WS_EX_APPWINDOW;
    }
    style |= WS_CLIPCHILDREN;

    RECT frame{0, 0, ToPixelsX(spec.clientWidth), ToPixelsY(spec.clientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    if (spec.clientLeft || spec.clientTop) {
      x = ToPixelsX(spec.clientLeft.value_or(0)) + frame.left;
      y = ToPixelsY(spec.clientTop.value_or(0)) + frame.top;
    }

    auto core = std::make_shared<WindowCore>();
    core->events = &events;
    core->background = CreateSolidBrush(ToColorRef(spec.backColor));
    HWND h = CreateWindowExW(exStyle, kWindowClass, Widen(spec.caption).c_str(), style, x, y,
                             frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                             GetModuleHandleW(nullptr), core.get());
    if (!h) {
      if (core->background) DeleteObject(core->background);
      throw OutOfMemoryError();
    }
    core->creating = false;
    if (spec.programIcon) {
      core->bigIcon = LoadProgramIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
      core->smallIcon =
          LoadProgramIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
      if (core->bigIcon) {
        SendMessageW(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(core->bigIcon));
      }
      if (core->smallIcon) {
        SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(core->smallIcon));
      }
    }
    return std::make_unique<Win32Window>(core, spec.initialState);
  }

  double ScreenWidth() const override {
    return GetSystemMetrics(SM_CXSCREEN) * TwipsPerPixelX();
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
    while (g_liveWindows > 0) {
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

double TwipsPerPixelX() { return Metrics().twipsPerPixelX; }
double TwipsPerPixelY() { return Metrics().twipsPerPixelY; }
int ToPixelsX(double twips) { return static_cast<int>(std::lround(twips / TwipsPerPixelX())); }
int ToPixelsY(double twips) { return static_cast<int>(std::lround(twips / TwipsPerPixelY())); }

COLORREF ToColorRef(uint32_t rgb) {
  if (rgb & 0x80000000u) return GetSysColor(static_cast<int>(rgb & 0xFFu));
  return rgb & 0xFFFFFFu;
}

HWND CreateChildWindow(WindowCore& core, const wchar_t* className, const std::string& text,
                       DWORD style, DWORD exStyle, const Bounds& bounds, int* id) {
  if (!core.hwnd) throw InternalError();
  const int childId = core.nextControlId++;
  HWND h = CreateWindowExW(exStyle, className, Widen(text).c_str(),
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
                           ToPixelsX(bounds.left), ToPixelsY(bounds.top),
                           ToPixelsX(bounds.width), ToPixelsY(bounds.height), core.hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId)),
                           GetModuleHandleW(nullptr), nullptr);
  if (!h) throw OutOfMemoryError();
  if (id) *id = childId;
  return h;
}

void ReportAndExit(const RunError& error) {
  g_reporting = true;  // no handler runs while the report is up
  const std::string text = "Run-time error '" + std::to_string(error.Number()) + "':\r\n\r\n" +
                           error.what();
  MessageBoxW(nullptr, Widen(text).c_str(), kTitle, MB_OK | MB_SETFOREGROUND);
  ExitProcess(1);
}

void RunEvent(const std::function<void()>& handler) {
  if (g_reporting || !handler) return;
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
