#include "platform/sim/SimPlatform.h"

#include <algorithm>

#include "platform/AsciiCase.h"
#include "platform/JpegHeader.h"
#include "platform/sim/CodePages.h"
#include "platform/sim/SimWindows.h"

namespace td::sim {

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class SimPicture : public Picture {
 public:
  explicit SimPicture(std::string file) : path(std::move(file)) {}
  std::string path;
};

// The platform's xcopy, as far as the program uses it: /s /y and /EXCLUDE:file. It
// fails in its own window: whatever it cannot read or write stops the copy there, and
// the program that started it learns nothing.
void Xcopy(SimPlatform& machine, const std::vector<std::string>& args, SimProcess& process) {
  std::vector<std::string> paths;
  std::vector<std::string> excluded;
  for (const std::string& arg : args) {
    const std::string lower = LowerAscii(arg);
    if (lower.rfind("/exclude:", 0) == 0) {
      std::string list;
      try {
        list = machine.fs.ReadBytes(arg.substr(9));
      } catch (const RunError&) {
        return;
      }
      std::string line;
      for (char c : list + "\n") {
        if (c == '\r') continue;
        if (c != '\n') {
          line += c;
        } else if (!line.empty()) {
          excluded.push_back(line);
          line.clear();
        }
      }
    } else if (arg.empty() || arg[0] != '/') {
      paths.push_back(arg);
    }
  }
  if (paths.size() != 2) return;
  // The source and the target are taken as the command names them, at start time.
  const std::string from = machine.fs.FullPath(paths[0]);
  const std::string to = machine.fs.FullPath(paths[1]);
  process.endsAt = machine.Now() + machine.given.xcopyDelay;
  process.At(process.endsAt,
             [&machine, from, to, excluded] { machine.fs.CopyTree(from, to, excluded); });
}

}  // namespace

std::vector<std::string> SplitCommandWords(const std::string& commandLine) {
  std::vector<std::string> words;
  std::string word;
  bool inQuotes = false;
  bool inWord = false;
  for (char c : commandLine) {
    if (c == '"') {
      inQuotes = !inQuotes;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

SimPlatform::SimPlatform() { InstallProgram("xcopy", Xcopy); }

SimPlatform::~SimPlatform() = default;

void SimPlatform::At(double when, std::function<void()> action) {
  scheduled_.push_back({when, order_++, std::move(action)});
}

void SimPlatform::InstallProgram(const std::string& name, Program program) {
  programs_[LowerAscii(name)] = std::move(program);
}

std::optional<std::string> SimPlatform::LoadResourceBytes(const std::string& type, int id) {
  const auto found = given.resources.find(id);
  if (LowerAscii(type) != "custom" || found == given.resources.end()) return std::nullopt;
  return found->second;
}

bool SimProcess::HasEnded() { return machine_.Now() >= endsAt; }

void SimProcess::End() {
  *killed_ = true;  // what it left running ends too
  if (HasEnded()) return;
  ended = true;
  endsAt = machine_.Now();
}

void SimProcess::At(double when, std::function<void()> action) {
  machine_.At(when, [killed = killed_, action = std::move(action)] {
    if (*killed) return;
    try {
      action();
    } catch (const RunError&) {
      // The process fails in its own window; the program that started it learns nothing.
    }
  });
}

std::unique_ptr<StartedProcess> SimPlatform::StartProcess(const std::string& commandLine) {
  seen.started.push_back(commandLine);
  const std::vector<std::string> words = SplitCommandWords(commandLine);
  if (words.empty()) throw RunError(err::kFileNotFound);
  const std::string first = LowerAscii(words[0]);
  std::string name = first.substr(first.rfind('\\') + 1);
  const bool script = EndsWith(name, ".bat") || EndsWith(name, ".cmd");
  if (script && !fs.IsPlainFile(words[0])) throw RunError(err::kFileNotFound);
  if (EndsWith(name, ".exe")) name.resize(name.size() - 4);
  auto process = std::make_unique<SimProcess>(*this);
  process->endsAt = now_;
  const auto program = programs_.find(name);
  if (program == programs_.end()) {
    if (script) return process;  // a script nobody modelled runs and does nothing
    throw RunError(err::kFileNotFound);
  }
  program->second(*this, std::vector<std::string>(words.begin() + 1, words.end()), *process);
  return process;
}

namespace {

std::string RegistryName(const std::string& key, const std::string& value) {
  return LowerAscii(key + "\\" + value);
}

}  // namespace

void SimPlatform::SetRegistryText(const std::string& key, const std::string& value,
                                  const std::string& text) {
  given.registry[RegistryName(key, value)] = text;
}

std::optional<std::string> SimPlatform::ReadUserRegistryText(const std::string& key,
                                                             const std::string& value) {
  const auto found = given.registry.find(RegistryName(key, value));
  if (found == given.registry.end()) return std::nullopt;
  return found->second;
}

float SimPlatform::NextRandom() {
  ++seen.randomDraws;
  if (!given.randomValues.empty()) {
    const float r = given.randomValues.front();
    given.randomValues.pop_front();
    return r;
  }
  if (given.randomSource) return given.randomSource();
  lcg_ = lcg_ * 1103515245u + 12345u;
  return static_cast<float>((lcg_ >> 8) & 0xFFFFFF) / 16777216.0f;
}

std::string SimPlatform::DecodeConsoleText(std::string_view bytes) const { return Cp437ToUtf8(bytes); }
std::string SimPlatform::DecodeAnsiText(std::string_view bytes) const { return Cp1252ToUtf8(bytes); }
std::string SimPlatform::EncodeAnsiText(std::string_view utf8) const { return Utf8ToCp1252(utf8); }
std::string SimPlatform::EncodeConsoleText(std::string_view utf8) const { return Utf8ToCp437(utf8); }

// --- Windows and events ----------------------------------------------------------------

std::unique_ptr<Window> SimPlatform::OpenWindow(const WindowSpec& spec, WindowEvents& events) {
  return std::make_unique<SimWindow>(*this, spec, events);
}

void SimPlatform::Register(SimWindow* window) {
  if (std::find(windows_.begin(), windows_.end(), window) == windows_.end()) windows_.push_back(window);
}
void SimPlatform::Unregister(SimWindow* window) { std::erase(windows_, window); }
void SimPlatform::Register(SimTimer* timer) { timers_.push_back(timer); }
void SimPlatform::Unregister(SimTimer* timer) { std::erase(timers_, timer); }

std::vector<SimWindow*> SimPlatform::Windows() const { return windows_; }

SimWindow* SimPlatform::WindowByCaption(const std::string& caption) const {
  for (SimWindow* window : windows_) {
    if (window->caption == caption) return window;
  }
  return nullptr;
}

bool SimPlatform::AnyWindowAlive() const { return !windows_.empty(); }

void SimPlatform::Dispatch(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const RunError& error) {
    ReportUnhandled(error);
  }
}

void SimPlatform::ReportUnhandled(const RunError& error) {
  seen.report = error;
  throw ProcessEnded{"Run-time error " + std::to_string(error.Number()) + ": " + error.what()};
}

void SimPlatform::CheckTimeLimit() {
  if (now_ > given.timeLimit) throw ProcessEnded{"still running at the time limit"};
}

// The earliest due action or timer tick, if any is due now; timers of windows that are
// gone and timers inside their own tick do not fire.
bool SimPlatform::DeliverOneDue(std::set<const SimTimer*>* skip) {
  auto action = std::min_element(scheduled_.begin(), scheduled_.end(), [](const auto& a, const auto& b) {
    return a.when < b.when || (a.when == b.when && a.order < b.order);
  });
  SimTimer* timer = nullptr;
  for (SimTimer* candidate : timers_) {
    const bool live = std::any_of(windows_.begin(), windows_.end(),
                                  [&](SimWindow* w) { return w == candidate->owner; });
    if (!live || !candidate->Enabled() || candidate->ticking || candidate->due > now_) continue;
    if (skip && skip->count(candidate)) continue;
    if (!timer || candidate->due < timer->due) timer = candidate;
  }
  const bool actionDue = action != scheduled_.end() && action->when <= now_;
  if (actionDue && (!timer || action->when <= timer->due)) {
    auto run = std::move(action->action);
    scheduled_.erase(action);
    run();
    return true;
  }
  if (!timer) return false;
  // Ticks keep their phase; ticks missed while the program was busy collapse into one.
  while (timer->due <= now_) timer->due += timer->interval;
  timer->ticking = true;
  ++timer->ticks;
  if (skip) skip->insert(timer);
  struct Reset {
    SimPlatform* machine;
    SimTimer* timer;
    ~Reset() {
      // The tick may have destroyed its own timer.
      auto& timers = machine->timers_;
      if (std::find(timers.begin(), timers.end(), timer) != timers.end()) timer->ticking = false;
    }
  } reset{this, timer};
  auto onTick = timer->onTick;
  Dispatch(onTick);
  return true;
}

std::optional<double> SimPlatform::NextDue() const {
  std::optional<double> next;
  for (const auto& item : scheduled_) {
    if (!next || item.when < *next) next = item.when;
  }
  for (const SimTimer* timer : timers_) {
    const bool live = std::any_of(windows_.begin(), windows_.end(),
                                  [&](SimWindow* w) { return w == timer->owner; });
    if (live && timer->Enabled() && !timer->ticking && (!next || timer->due < *next)) next = timer->due;
  }
  return next;
}

void SimPlatform::DoEvents() {
  now_ += given.yieldCost;
  CheckTimeLimit();
  // Each timer fires at most once per yield, even when its tick outlasts its interval.
  std::set<const SimTimer*> ticked;
  while (DeliverOneDue(&ticked)) {
  }
}

void SimPlatform::SettleProcesses() {
  while (!scheduled_.empty()) {
    now_ = std::max(now_, *NextDue());
    while (DeliverOneDue()) {
    }
  }
}

void SimPlatform::RunUntilNoWindows() {
  while (AnyWindowAlive()) {
    while (AnyWindowAlive() && DeliverOneDue()) {
    }
    if (!AnyWindowAlive()) break;
    const auto next = NextDue();
    if (!next) throw ProcessEnded{"waits for an event that never comes"};
    now_ = std::max(now_, *next);
    CheckTimeLimit();
  }
}

void SimPlatform::ShowMessage(const std::string& text) {
  seen.messages.push_back(text);
  if (given.onMessage) given.onMessage(text);
}

// --- Pictures and the clipboard ---------------------------------------------------------

std::unique_ptr<Picture> SimPlatform::LoadPicture(const std::string& path) {
  // A JPEG file with a sound frame header is a picture; its pixels are never looked at.
  const auto size = JpegFrameSize(fs.ReadBytes(path));
  if (!size || static_cast<double>(size->width) * size->height > kMaxPicturePixels) {
    throw RunError(err::kInvalidPicture);
  }
  return std::make_unique<SimPicture>(fs.FullPath(path));
}

void SimPlatform::ClearClipboard() {
  if (given.clipboardBusy) throw RunError(err::kCannotOpenClipboard);
  clipboard.clear();
  ++seen.clipboardChanges;
}

void SimPlatform::PutOnClipboard(const Picture& picture) {
  if (given.clipboardBusy) throw RunError(err::kCannotOpenClipboard);
  const std::string& path = PathOf(picture);
  if (given.clipboardRefuses.count(path)) throw RunError(err::kInvalidClipboardFormat);
  clipboard["picture"] = path;
  ++seen.clipboardChanges;
}

const std::string& SimPlatform::PathOf(const Picture& picture) {
  return static_cast<const SimPicture&>(picture).path;
}

}  // namespace td::sim
