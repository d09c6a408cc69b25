// A simulated machine for whole runs as fast, exact unit tests.
//
// Time is virtual: it moves only while the program waits (in its event loop or a
// message box) or yields (each DoEvents costs `yieldCost` seconds). Timers fire only
// then, in due order, never inside their own tick. Started processes are programs the
// test installs by name; they act on the simulated file system through scheduled
// actions. The random generator, the command line and the executable's resources are
// whatever the test sets.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Twips.h"
#include "platform/sim/SimFileSystem.h"

namespace td::sim {

// Thrown through the program when the simulated process ends abnormally: after the
// unhandled-error report, or when it could only wait for ever.
struct ProcessEnded {
  std::string why;
};

class SimPlatform;

// A process the program started: it ends when its program says, or when it is ended.
class SimProcess : public StartedProcess {
 public:
  explicit SimProcess(SimPlatform& machine) : machine_(machine) {}
  bool HasEnded() override;
  void End() override;
  // Schedules what the process, or what it started, does at `when`; nothing once it has
  // been ended. A failure of the action stays in the process's own window.
  void At(double when, std::function<void()> action);
  // When the process ends, in the machine's seconds; by default as soon as it started.
  double endsAt = 0;
  bool ended = false;  // by End()

 private:
  SimPlatform& machine_;
  std::shared_ptr<bool> killed_ = std::make_shared<bool>(false);
};

class SimWindow;
class SimTimer;

class SimPlatform : public Platform, public System, public Screen, public Pictures {
 public:
  SimPlatform();
  ~SimPlatform() override;

  td::FileSystem& FileSystem() override { return fs; }
  td::Screen& Screen() override { return *this; }
  td::Pictures& Pictures() override { return *this; }
  td::System& System() override { return *this; }

  // What the test sets up: the machine, the user's answers and the other programs.
  struct Given {
    double yieldCost = 0.001;      // seconds each DoEvents costs
    double timeLimit = 24 * 3600;  // a run still going then is taken to wait for ever
    double xcopyDelay = 0.2;
    bool interpreterRunsCarriedScripts = true;  // false: Wine 10's
    std::string commandTail;
    std::string executablePath = "C:\\Tumbledeck\\Tumbledeck.exe";
    std::map<int, std::string> resources;  // of type "CUSTOM", by id
    // The current user's registry: "key\\value" (any letter case) -> text.
    std::map<std::string, std::string> registry;
    std::deque<float> randomValues;  // drawn first; then randomSource, then a fixed LCG
    std::function<float()> randomSource;
    std::function<void(const std::string&)> onMessage;  // runs while a box is up
    // The primary screen: its width in pixels and its resolution (96 DPI is 100 %).
    int screenPixels = 1024;
    int dpi = kStandardDpi;
    bool clipboardBusy = false;              // another program holds the clipboard
    std::set<std::string> clipboardRefuses;  // pictures (their files) it will not take
    std::set<std::string> viewRefuses;  // pictures (their files) the card view refuses
  } given;

  // What the machine saw the program do.
  struct Seen {
    std::vector<std::string> started;  // every command line, in order
    int randomDraws = 0;
    int seeds = 0;
    std::vector<std::string> messages;  // message box texts, in order
    std::optional<RunError> report;     // the unhandled-error report
    int clipboardChanges = 0;  // what a program listening to the clipboard is told of
  } seen;

  // The state both sides touch: the files, and the clipboard, format by format:
  // "picture" (the path of the picture) or another program's "text". As on Windows, a
  // put adds its format beside what is there; only a clear drops everything.
  SimFileSystem fs;
  std::map<std::string, std::string> clipboard;

  // --- Clock and scheduled actions ---------------------------------------------------
  double Now() const { return now_; }
  void At(double when, std::function<void()> action);
  // Lets every scheduled action run, as processes that outlive the program finish.
  void SettleProcesses();

  // --- Processes -----------------------------------------------------------------------
  // A program receives its arguments, split at blanks outside quotes, quotes removed,
  // and its process, whose end it may put off.
  using Program = std::function<void(SimPlatform&, const std::vector<std::string>& args,
                                     SimProcess& process)>;
  // name: lower-case file name, "getpxdrdata.bat", or a program without ".exe", "xcopy".
  void InstallProgram(const std::string& name, Program program);

  // --- The machine ---------------------------------------------------------------------
  void SetRegistryText(const std::string& key, const std::string& value, const std::string& text);
  std::vector<SimWindow*> Windows() const;  // live windows, oldest first
  SimWindow* WindowByCaption(const std::string& caption) const;

  // --- System ------------------------------------------------------------------------
  std::string CommandTail() const override { return given.commandTail; }
  std::string ExecutablePath() const override { return given.executablePath; }
  std::optional<std::string> LoadResourceBytes(const std::string& type, int id) override;
  std::unique_ptr<StartedProcess> StartProcess(const std::string& commandLine) override;
  bool InterpreterRunsCarriedScripts() const override {
    return given.interpreterRunsCarriedScripts;
  }
  std::optional<std::string> ReadUserRegistryText(const std::string& key,
                                                  const std::string& value) override;
  double Seconds() override { return now_; }
  void Randomize() override { ++seen.seeds; }
  float NextRandom() override;
  std::string DecodeConsoleText(std::string_view bytes) const override;
  std::string DecodeAnsiText(std::string_view bytes) const override;
  std::string EncodeAnsiText(std::string_view utf8) const override;
  std::string EncodeConsoleText(std::string_view utf8) const override;

  // --- Screen --------------------------------------------------------------------------
  std::unique_ptr<Window> OpenWindow(const WindowSpec& spec, WindowEvents& events) override;
  double ScreenWidth() const override { return PixelsToTwips(given.screenPixels, given.dpi); }
  void DoEvents() override;
  void RunUntilNoWindows() override;
  void ShowMessage(const std::string& text) override;
  [[noreturn]] void ReportUnhandled(const RunError& error) override;

  // --- Pictures ------------------------------------------------------------------------
  std::unique_ptr<Picture> LoadPicture(const std::string& path) override;
  void ClearClipboard() override;
  void PutOnClipboard(const Picture& picture) override;
  // The file a picture of this machine was loaded from.
  static const std::string& PathOf(const Picture& picture);

  // Runs an event handler the way the window system does: an untrapped failure ends
  // the process with the report.
  void Dispatch(const std::function<void()>& handler);

  // For the windows and timers of this machine.
  void Register(SimWindow* window);
  void Unregister(SimWindow* window);
  void Register(SimTimer* timer);
  void Unregister(SimTimer* timer);

 private:
  struct Scheduled {
    double when;
    long order;
    std::function<void()> action;
  };
  // Runs the earliest due action or timer tick, if any; a timer in `skip` (ticked in this
  // yield already) waits for the next yield.
  bool DeliverOneDue(std::set<const SimTimer*>* skip = nullptr);
  std::optional<double> NextDue() const;
  void CheckTimeLimit();
  bool AnyWindowAlive() const;

  double now_ = 0;
  long order_ = 0;
  std::vector<Scheduled> scheduled_;
  std::map<std::string, Program> programs_;
  std::vector<SimWindow*> windows_;
  std::vector<SimTimer*> timers_;
  unsigned lcg_ = 1;
};

// Splits a command line into words at blanks outside double quotes, dropping quotes.
std::vector<std::string> SplitCommandWords(const std::string& commandLine);

}  // namespace td::sim
