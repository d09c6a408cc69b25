// Windows and controls: what the program opens, places and shows, and the Screen that
// opens windows, runs the events and shows messages. Geometry is in twips (1/1440 inch).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Pictures.h"
#include "platform/RunError.h"

namespace td {

// Every colour: red + 256*green + 65536*blue; with the top bit set, a system colour by
// its index, as the classic runtime allows.
using Colour = uint32_t;

struct Bounds {
  double left = 0, top = 0, width = 0, height = 0;  // twips
};

enum class WindowState { kNormal = 0, kMinimized = 1, kMaximized = 2 };
// A tool window has a small caption and no task-bar button.
enum class Border { kSizable, kFixedSingle, kFixedToolWindow };

struct FontSpec {
  std::string face;
  double points = 8.25;
  int weight = 400;
  // Faces to use instead, in this order, where `face` is not installed.
  std::vector<std::string> standIns;
};

struct WindowSpec {
  std::string caption;
  Border border = Border::kSizable;
  bool minimizeBox = true;
  bool maximizeBox = true;
  bool showInTaskbar = true;  // false with a tool window only: the progress window
  bool programIcon = true;               // the program's icon, or none
  Colour backColor = 0xFFFFFF;
  double clientWidth = 0, clientHeight = 0;  // twips
  std::optional<double> clientLeft, clientTop;  // manual start position, else the system's
  bool startMinimized = false;  // shown as a task-bar button only, the first time
};

// What a window tells its form. Every call is an event: a RunError that escapes it ends
// the run (the platform reports it), unless the form trapped it.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  virtual void OnResize() {}
  // The window is closing, by the user or by the program; it cannot be cancelled.
  virtual void OnClose() {}
};

// A child control that the program places again and switches on and off.
class Control {
 public:
  virtual ~Control() = default;
  virtual void SetBounds(const Bounds& b) = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// A push button: the program also reads its place and hides it.
class Button : public Control {
 public:
  virtual Bounds GetBounds() const = 0;
  virtual void SetVisible(bool visible) = 0;
};

// A text label, where its spec places it.
class Label {
 public:
  virtual ~Label() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetForeColor(Colour colour) = 0;
};

// A place in a rich-text view's text, in characters: 32 bits on every system, as in the
// view's own messages.
using TextPosition = int32_t;

// A rich-text view that shows an RTF file and holds pictures as embedded objects.
class RichTextView : public Control {
 public:
  virtual void SetReadOnly(bool readOnly) = 0;
  virtual void ClearText() = 0;
  // Shows the RTF file at path; throws RunError when it is missing or unreadable.
  virtual void LoadFile(const std::string& path) = 0;
  // Caret position in characters; an embedded picture counts as one.
  virtual void SetSelStart(TextPosition position) = 0;
  // Adds the picture at the end of the view as one embedded object, whatever the user
  // does with the caret, the selection or the scroll bar meanwhile (they stay as the
  // user left them), and whether or not the view is read-only: that switch keeps the
  // user from changing the content, not the program. The view keeps what it needs to
  // draw the picture, not its pixels: it decodes what it shows.
  virtual void AppendPicture(const Picture& picture) = 0;
};

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
};

struct ControlSpec {
  Bounds bounds;
  std::string caption;
  Colour backColor = 0xFFFFFF;
  Colour foreColor = 0;
  std::optional<FontSpec> font;
  bool centred = false;
};

class Window {
 public:
  virtual ~Window() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  // Outer geometry, frame and caption included; a minimized window's is where it will
  // be restored to. The program moves only windows that are hidden or shown normal.
  virtual Bounds GetBounds() const = 0;
  virtual void SetBounds(const Bounds& b) = 0;
  // As the user left it; a hidden window's is the one it will be shown in.
  virtual WindowState State() const = 0;
  // Shows the window modeless and without an owner, in its current state.
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool IsVisible() const = 0;
  virtual void Focus() = 0;
  // Destroys the window without raising OnClose (the form has run its close steps).
  virtual void Destroy() = 0;

  // Controls live as long as the window; the handlers are events like OnResize.
  virtual std::unique_ptr<Button> AddButton(const ControlSpec& spec,
                                            std::function<void()> onClick) = 0;
  virtual std::unique_ptr<Label> AddLabel(const ControlSpec& spec) = 0;
  virtual std::unique_ptr<RichTextView> AddRichTextView(const ControlSpec& spec) = 0;
  // A timer ticks only while the program waits for or yields to events, and never
  // inside its own tick.
  virtual std::unique_ptr<Timer> AddTimer(int intervalMs, bool enabled,
                                          std::function<void()> onTick) = 0;
};

class Screen {
 public:
  virtual ~Screen() = default;
  // Creates a window, hidden; events go to the given form until the window is destroyed.
  virtual std::unique_ptr<Window> OpenWindow(const WindowSpec& spec, WindowEvents& events) = 0;
  // Width of the primary screen, twips.
  virtual double ScreenWidth() const = 0;
  // Processes the events that are waiting, timer ticks included, and returns.
  virtual void DoEvents() = 0;
  // Waits for and dispatches events until no window of the program is left.
  virtual void RunUntilNoWindows() = 0;
  // A modal message box: the text, an OK button only, no icon, the program's title.
  virtual void ShowMessage(const std::string& text) = 0;
  // The report of a failure that no code trapped; the process ends right after it,
  // without any clean-up. Does not return.
  [[noreturn]] virtual void ReportUnhandled(const RunError& error) = 0;
};

}  // namespace td
