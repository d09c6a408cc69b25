// The window machinery that the parts of the Windows user interface share: the state
// of one top-level window, the base of its child controls, and the entry points of each
// part. Internal to platform/win32.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Twips.h"
#include "platform/win32/Win32Handles.h"

namespace td::win32 {

// --- Events and reports (Win32Ui.cpp) --------------------------------------------------

// Runs one event handler. A failure that escapes it ends the run with the report of an
// unhandled error; while that report is up no other handler runs.
void RunEvent(const std::function<void()>& handler);
[[noreturn]] void ReportAndExit(const RunError& error);
// What a failure that escaped a handler is reported as: itself, out of memory, or an
// internal error.
RunError ReportedError(const std::exception_ptr& failure);
// Counts the program's live top-level windows; the message loop ends with the last.
void NoteWindowCreated();
void NoteWindowDestroyed();

// The program declares itself aware of each monitor's resolution: Windows then draws its
// windows as they are, not stretched, and every window converts twips to pixels at the
// resolution of the monitor it is on (platform/Twips.h), anew when it moves to another.
// The resolution of the primary monitor, which new windows start at.
int PrimaryMonitorDpi();
// The resolution a window is drawn at.
int DpiOf(HWND window);

// A place in twips as pixels at a resolution, each of the four rounded on its own; and a
// rectangle of pixels back in twips.
struct PixelPlace {
  int x, y, width, height;
};
inline PixelPlace ToPixels(const Bounds& b, int dpi) {
  return {TwipsToPixels(b.left, dpi), TwipsToPixels(b.top, dpi), TwipsToPixels(b.width, dpi),
          TwipsToPixels(b.height, dpi)};
}
inline Bounds ToTwips(const RECT& r, int dpi) {
  return {PixelsToTwips(r.left, dpi), PixelsToTwips(r.top, dpi),
          PixelsToTwips(r.right - r.left, dpi), PixelsToTwips(r.bottom - r.top, dpi)};
}
// Moves a child to its place in twips at the resolution.
inline void MoveChild(HWND child, const Bounds& b, int dpi) {
  const PixelPlace p = ToPixels(b, dpi);
  MoveWindow(child, p.x, p.y, p.width, p.height, TRUE);
}

// An interface colour as a COLORREF, a system colour looked up.
COLORREF ToColorRef(Colour colour);

// --- One top-level window (Win32Window.cpp) ---------------------------------------------

struct TimerState {
  UINT_PTR id = 0;
  UINT interval = 0;
  bool enabled = false;
  bool inTick = false;
  std::function<void()> onTick;
};

struct LabelLook {
  COLORREF fore = 0;
  COLORREF back = 0;
  Brush brush;
};

// Shared by the Window object and its controls and timers, which the program may keep
// after the window has gone. `hwnd` is null once the window is destroyed.
struct WindowCore : std::enable_shared_from_this<WindowCore> {
  HWND hwnd = nullptr;
  WindowEvents* events = nullptr;  // null once the Window object is gone
  bool creating = true;
  int dpi = kStandardDpi;  // the resolution the window is drawn at now
  Brush background;
  Icon bigIcon;
  Icon smallIcon;
  int nextControlId = 100;
  UINT_PTR nextTimerId = 1;
  std::map<int, std::shared_ptr<std::function<void()>>> clickHandlers;
  std::map<HWND, LabelLook> labels;
  std::map<UINT_PTR, std::shared_ptr<TimerState>> timers;
  std::vector<Font> fonts;  // freed with the window, after its children
  // Each child's place in twips and the font it was given, made again at a new
  // resolution.
  struct ChildLook {
    Bounds bounds;
    bool given = false;            // a font was given (a rich-text view keeps its own)
    std::optional<FontSpec> font;  // nothing: the system's font for dialogs
  };
  std::map<HWND, ChildLook> children;
};

// Places the children again and makes their fonts anew, at the window's resolution.
void ApplyResolution(WindowCore& core);

std::unique_ptr<Window> OpenTopLevelWindow(const WindowSpec& spec, WindowEvents& events);

// --- Controls (Win32Controls.cpp, Win32RichText.cpp, Win32CardView.cpp, Win32Timer.cpp)

// A child window placed in twips relative to its window's client area; `param` reaches
// its WM_NCCREATE.
HWND CreateChildWindow(WindowCore& core, const wchar_t* className, const std::string& text,
                       DWORD style, DWORD exStyle, const Bounds& bounds, int* id,
                       void* param = nullptr);

// The child window behind a control. It is destroyed when the program drops the control
// early; nothing is done to it once its top-level window is gone.
class ChildWindow {
 public:
  ChildWindow(const std::shared_ptr<WindowCore>& core, HWND hwnd) : core_(core), hwnd_(hwnd) {}
  ~ChildWindow() { DestroyChild(); }
  ChildWindow(const ChildWindow&) = delete;
  ChildWindow& operator=(const ChildWindow&) = delete;

 protected:
  // The control's window while its top-level window lives, else null.
  HWND Live() const {
    auto core = core_.lock();
    return core && core->hwnd ? hwnd_ : nullptr;
  }
  std::shared_ptr<WindowCore> Core() const { return core_.lock(); }
  void DestroyChild() {
    if (HWND h = Live()) {
      Core()->children.erase(h);
      DestroyWindow(h);
    }
    hwnd_ = nullptr;
  }

 private:
  std::weak_ptr<WindowCore> core_;
  HWND hwnd_;
};

// A control that the program places again, in twips, and switches on and off.
template <class Interface>
class ChildControl : public Interface, protected ChildWindow {
 public:
  ChildControl(const std::shared_ptr<WindowCore>& core, HWND hwnd, const Bounds& bounds)
      : ChildWindow(core, hwnd), bounds_(bounds) {}

  void SetBounds(const Bounds& b) override {
    bounds_ = b;
    HWND h = Live();
    if (!h) return;
    auto core = Core();
    core->children[h].bounds = b;
    MoveChild(h, b, core->dpi);
  }
  void SetEnabled(bool enabled) override {
    if (HWND h = Live()) EnableWindow(h, enabled ? TRUE : FALSE);
  }

 protected:
  Bounds bounds_;  // where the program last placed it
};

std::unique_ptr<Button> CreateButton(const std::shared_ptr<WindowCore>& core,
                                     const ControlSpec& spec, std::function<void()> onClick);
std::unique_ptr<Label> CreateLabel(const std::shared_ptr<WindowCore>& core,
                                   const ControlSpec& spec);
std::unique_ptr<RichTextView> CreateRichTextView(const std::shared_ptr<WindowCore>& core,
                                                 const ControlSpec& spec);
std::unique_ptr<CardView> CreateCardView(const std::shared_ptr<WindowCore>& core,
                                         const ControlSpec& spec);
// Ctrl+C and Ctrl+Insert, the keys that copy, as a key-down message gives them.
bool IsCopyKey(WPARAM key);
std::unique_ptr<Timer> CreateTimer(const std::shared_ptr<WindowCore>& core, int intervalMs,
                                   bool enabled, std::function<void()> onTick);
// Runs the tick of the window's timer `id`, unless it is off or inside its own tick.
void DeliverTimerTick(WindowCore& core, UINT_PTR id);

// --- Pictures and the clipboard (Win32Pictures.cpp, Win32Clipboard.cpp) ----------------

std::unique_ptr<Picture> LoadPictureFile(const std::string& path);
void ClearSystemClipboard();
void PutPictureOnClipboard(const Picture& picture);
// A user's copy: the data goes on the clipboard through OLE, which renders each format
// when a program asks for it. CLIPBRD_E_CANT_OPEN when another program kept it busy.
HRESULT PutDataOnClipboard(IDataObject& data);
// Makes what the program promised the clipboard, so that it outlives the program.
void FinishClipboard();

}  // namespace td::win32
