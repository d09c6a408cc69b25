// Windows and the screen: the windows the program opens, places and shows, and the
// Screen that opens them, runs the events and shows messages.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/CardView.h"
#include "platform/Controls.h"
#include "platform/RunError.h"

namespace td {

enum class WindowState { kNormal = 0, kMinimized = 1, kMaximized = 2 };
// A tool window has a small caption and no task-bar button.
enum class Border { kSizable, kFixedSingle, kFixedToolWindow };

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
  virtual std::unique_ptr<CardView> AddCardView(const ControlSpec& spec) = 0;
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
