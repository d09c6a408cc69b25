// The one interface through which Tumbledeck's logic reaches the machine.
//
// Two implementations sit beside it: platform/win32 (the product) and platform/sim
// (a simulated machine for the unit tests). The logic never includes anything else
// that talks to the operating system. This header must stay free of <windows.h>:
// that header defines macros (GetCommandLine, DeleteFile, MessageBox, Yield...) that
// would rename the program's own identifiers; the names below avoid all of them.
//
// Text is UTF-8 everywhere in the interface; file contents are raw bytes. Window
// geometry is in twips (1/1440 inch); colours are red + 256*green + 65536*blue.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace td {

// ---------------------------------------------------------------------------------
// Failures
// ---------------------------------------------------------------------------------

// Error numbers of the classic runtime; the unhandled-error report shows them, and a
// user who searches for "error 53" finds what it means.
namespace err {
constexpr int kInvalidCall = 5;
constexpr int kOverflow = 6;
constexpr int kOutOfMemory = 7;
constexpr int kInternalError = 51;
constexpr int kDiskFull = 61;
constexpr int kSubscriptOutOfRange = 9;
constexpr int kBadFileName = 52;
constexpr int kFileNotFound = 53;
constexpr int kInputPastEnd = 62;
constexpr int kPermissionDenied = 70;
constexpr int kPathFileAccess = 75;
constexpr int kPathNotFound = 76;
constexpr int kInvalidClipboardFormat = 460;
constexpr int kInvalidPicture = 481;
constexpr int kCannotOpenClipboard = 521;
}  // namespace err

// A failure that passes to the caller until some code traps it. One that reaches an
// event handler untrapped ends the run with a report (see Ui::ReportUnhandled).
class RunError : public std::runtime_error {
 public:
  RunError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  explicit RunError(int number) : RunError(number, StandardDescription(number)) {}
  int Number() const { return number_; }
  static std::string StandardDescription(int number);

 private:
  int number_;
};

// ---------------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------------

// File attribute bits as the platform reports them.
namespace attr {
constexpr uint32_t kReadOnly = 1;
constexpr uint32_t kHidden = 2;
constexpr uint32_t kSystem = 4;
constexpr uint32_t kDirectory = 16;
}  // namespace attr

// One directory search; each listing has a cursor of its own, so listings may nest.
class DirectoryListing {
 public:
  virtual ~DirectoryListing() = default;
  // The next matching name (no folder part), or nothing when the listing is exhausted.
  virtual std::optional<std::string> Next() = 0;
};

// What a deletion does when there is nothing to delete.
enum class IfMissing { kFail, kIgnore };

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Entries matching a path whose last component may hold the wildcards * and ?,
  // plain files and folders together, "." and ".." included where the folder has them;
  // hidden and system entries are left out, and so are names that no text can spell
  // (not valid UTF-16): no path could name them. A folder that does not exist, or a
  // pattern that matches nothing, yields an empty listing; any other failure (access
  // denied, a bad name) throws RunError, at the start or at any later Next().
  virtual std::unique_ptr<DirectoryListing> List(const std::string& pattern) = 0;
  // Attribute bits of an existing entry; throws RunError 53 when there is none.
  virtual uint32_t Attributes(const std::string& path) = 0;
  // True for an existing plain file that is neither hidden nor a system file.
  virtual bool IsPlainFile(const std::string& path) = 0;
  // True for an existing folder.
  virtual bool IsFolder(const std::string& path) = 0;
  // The 8.3 short form of an existing path, where the file system keeps one for each of
  // its components (many Windows volumes do, some do not); nothing otherwise.
  virtual std::optional<std::string> ShortPath(const std::string& path) = 0;
  // Size in bytes of an existing file; throws RunError 53 when there is none.
  virtual uint64_t FileSize(const std::string& path) = 0;
  // The whole content of a file; throws RunError (53, 70, 75) when it cannot be read.
  virtual std::string ReadBytes(const std::string& path) = 0;
  // The first `maxBytes` bytes of a file (all of a shorter one), for files of which
  // only the start matters, whatever their size; fails as ReadBytes does.
  virtual std::string ReadHead(const std::string& path, std::size_t maxBytes) = 0;
  // Creates the file or replaces its content; throws RunError when it cannot.
  virtual void WriteBytes(const std::string& path, std::string_view bytes) = 0;
  // Creates one folder; throws RunError 75 when it exists or cannot be made.
  virtual void MakeFolder(const std::string& path) = 0;
  // Deletes one plain file. Nothing there (or a folder there) throws RunError 53 unless
  // ifMissing says to ignore it; a file that exists but cannot go always throws.
  virtual void RemoveFile(const std::string& path, IfMissing ifMissing) = 0;
  // Makes a folder the current one (relative paths resolve against the current one);
  // throws RunError 76 when there is no such folder.
  virtual void ChangeFolder(const std::string& path) = 0;
};

// ---------------------------------------------------------------------------------
// Windows
// ---------------------------------------------------------------------------------

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
  uint32_t backColor = 0xFFFFFF;
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
  virtual void SetForeColor(int32_t rgb) = 0;
};

// Larger pictures than this (a 10,000 x 10,000 scan) are refused: decoded, one would take
// gigabytes, and a small file can claim any size in its header.
inline constexpr double kMaxPicturePixels = 100e6;

// A picture loaded from a file, ready to go onto the clipboard.
class Picture {
 public:
  virtual ~Picture() = default;
};

// A rich-text view that shows an RTF file and holds pictures as embedded objects.
class RichTextView : public Control {
 public:
  virtual void SetReadOnly(bool readOnly) = 0;
  virtual void ClearText() = 0;
  // Shows the RTF file at path; throws RunError when it is missing or unreadable.
  virtual void LoadFile(const std::string& path) = 0;
  // Caret position in characters; an embedded picture counts as one.
  virtual void SetSelStart(long position) = 0;
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
  uint32_t backColor = 0xFFFFFF;
  uint32_t foreColor = 0;
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

class Ui {
 public:
  virtual ~Ui() = default;
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

  // Pictures, and the clipboard on which the viewer leaves its last card.
  // LoadPicture throws RunError when the file is missing or no picture, and 481 for a
  // picture whose header claims more than kMaxPicturePixels.
  virtual std::unique_ptr<Picture> LoadPicture(const std::string& path) = 0;
  // Both wait a moment for a clipboard that another program holds, answering its
  // requests meanwhile, and throw RunError 521 when it stays busy; a put also throws
  // when the clipboard refuses the picture.
  virtual void ClearClipboard() = 0;
  virtual void PutOnClipboard(const Picture& picture) = 0;
};

// ---------------------------------------------------------------------------------
// The process and its surroundings
// ---------------------------------------------------------------------------------

// A process the program started. Letting go of it does not end it.
class StartedProcess {
 public:
  virtual ~StartedProcess() = default;
  // True once the process has ended (for a script, once its interpreter has).
  virtual bool HasEnded() = 0;
  // Ends the process at once, if it still runs, and for a script whatever the script
  // started that still runs (its copy, its registry query): none of them writes more.
  virtual void End() = 0;
};

// The extensions the command interpreter tries, in this order, for a command named
// without one: the system's own list, whatever the user's environment says.
inline constexpr const char* kProgramExtensions[] = {".COM", ".EXE", ".BAT", ".CMD",
                                                     ".VBS", ".VBE", ".JS",  ".JSE",
                                                     ".WSF", ".WSH", ".MSC"};

class System {
 public:
  virtual ~System() = default;
  // The raw argument text after the program's own path, before any splitting.
  virtual std::string CommandTail() const = 0;
  // The full path of the running executable.
  virtual std::string ExecutablePath() const = 0;
  // Bytes of one of the executable's resources, by type name and id; nothing when absent.
  virtual std::optional<std::string> LoadResourceBytes(const std::string& type, int id) = 0;
  // Starts a command line as a new process, its window minimized and not activated, and
  // returns without waiting. A first word without a folder names a program of the
  // system folder ("Xcopy"), never one of the current or the program's own folder. A
  // first word naming a .bat file runs the system's command interpreter on it with its
  // one quoted argument exactly as given: no part of either is expanded or split by the
  // interpreter (%, ^, &, !, blanks, letters beyond ASCII). The script starts in the
  // system folder, with the system's PATH, COMSPEC and PATHEXT (kProgramExtensions), so
  // that the commands it names are the system's; where it changes folder itself, a
  // program of that folder may still take a command's place (Wine's interpreter looks
  // in the current folder first, whatever the environment says).
  // Throws RunError 53 when the program or script does not exist.
  virtual std::unique_ptr<StartedProcess> StartProcess(const std::string& commandLine) = 0;
  // A text value of the current user's registry (key below HKEY_CURRENT_USER); nothing
  // when the key or the value is missing or holds no text.
  virtual std::optional<std::string> ReadUserRegistryText(const std::string& key,
                                                          const std::string& value) = 0;
  // Elapsed seconds from an arbitrary start; never jumps back (midnight included).
  virtual double Seconds() = 0;
  // Seeds the random generator from the clock.
  virtual void Randomize() = 0;
  // The next random value r, 0 <= r < 1.
  virtual float NextRandom() = 0;
  // Text that the command interpreter wrote (the console's OEM code page) as UTF-8.
  virtual std::string DecodeConsoleText(std::string_view bytes) const = 0;
  // Text files the program reads and writes use the 8-bit ANSI code page.
  virtual std::string DecodeAnsiText(std::string_view bytes) const = 0;
  virtual std::string EncodeAnsiText(std::string_view utf8) const = 0;
  // What the console code page makes of UTF-8 text, for files the interpreter will read.
  virtual std::string EncodeConsoleText(std::string_view utf8) const = 0;
};

// Everything the logic may touch, handed to the forms at start-up.
class Platform {
 public:
  virtual ~Platform() = default;
  virtual FileSystem& Files() = 0;
  virtual Ui& Screen() = 0;
  virtual System& Machine() = 0;
};

}  // namespace td
