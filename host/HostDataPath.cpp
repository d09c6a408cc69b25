#include "host/HostDataPath.h"

#include <algorithm>
#include <optional>

#include "host/HostLayout.h"
#include "host/ModResFiles.h"
#include "host/ScriptCommandLine.h"
#include "run/MasterFolder.h"
#include "run/TextUtil.h"

namespace td {

namespace {

constexpr double kScriptWaitSeconds = 5.0;
// The exchange file holds one short line; a larger one is no answer of the script's.
constexpr std::size_t kLongestAnswer = 4096;

// A folder the copy and the viewer can use: the script's answer loses what the command
// interpreter cannot carry (letters it cannot spell come back as "?", a run of blanks
// as one blank, an "&" not at all), and the registry may name a folder that is gone.
bool NamesUsableFolder(FileSystem& files, const std::string& path) {
  return !HoldsNoNameCharacter(path) && IsAbsolutePath(path) && files.IsFolder(path);
}

// The value as the script reads it: its words (split at blanks and tabs) joined by
// single blanks, cut to its first 100 letters.
std::string AsTheScriptReadsIt(const std::string& value) {
  constexpr std::size_t kScriptsLetters = 100;
  std::string joined;
  for (std::size_t at = value.find_first_not_of(" \t"); at != std::string::npos;) {
    const std::size_t end = std::min(value.find_first_of(" \t", at), value.size());
    joined += (joined.empty() ? "" : " ") + value.substr(at, end - at);
    at = value.find_first_not_of(" \t", end);
  }
  std::size_t letters = 0, cut = 0;
  for (; cut < joined.size(); ++cut) {
    const bool startsLetter = (static_cast<unsigned char>(joined[cut]) & 0xC0) != 0x80;
    if (startsLetter && letters++ == kScriptsLetters) break;
  }
  return TrimTrailingSpaces(joined.substr(0, cut));
}

// The folder the host's value names, as the script would have read it or else as it
// stands; nothing when it names none the program can use.
std::optional<std::string> RegistryFolder(FileSystem& files, const std::string& value) {
  for (const std::string& path :
       {WithTrailingBackslash(AsTheScriptReadsIt(value)), WithTrailingBackslash(value)}) {
    if (NamesUsableFolder(files, path)) return path;
  }
  return std::nullopt;
}

// The first line of the exchange file, or nothing while the script has not answered
// (no file yet, or an empty one).
std::optional<std::string> ReadAnswer(FileSystem& files, System& system,
                                      const std::string& exchange) {
  std::string bytes;
  try {
    bytes = files.ReadHead(exchange, kLongestAnswer);
  } catch (const RunError& error) {
    if (error.Number() == err::kFileNotFound) return std::nullopt;
    throw;
  }
  const std::vector<std::string> lines = SplitLines(bytes);
  if (lines.empty()) return std::nullopt;
  // The interpreter writes in the console code page, and a blank before CR LF.
  const std::string answer = TrimTrailingSpaces(system.DecodeConsoleText(lines[0]));
  // A folder without its "\" would have names run into its own ("Datacards").
  return IsAbsolutePath(answer) ? WithTrailingBackslash(answer) : answer;
}

// Writes the script, starts it and gives it its fixed time.
std::unique_ptr<StartedProcess> RunScript(FileSystem& files, System& system, Screen& screen,
                                          const RunState& run, const std::string& exchange) {
  WriteScript(files, system, kResDataPathScript, run.MyPath + names::kDataPathScript);
  // An answer left by an earlier run that ended early must not pass for this run's; one
  // that cannot be deleted ends the run here.
  files.RemoveFile(exchange, IfMissing::kIgnore);
  auto script = system.StartProcess(ScriptCommandLine(run, names::kDataPathScript, run.MyPath));
  const double start = system.Seconds();
  while (system.Seconds() - start < kScriptWaitSeconds) screen.DoEvents();
  return script;
}

}  // namespace

std::unique_ptr<StartedProcess> FindHostDataPath(FileSystem& files, System& system,
                                                 Screen& screen, RunState& run) {
  // Read first: a value the script would run as commands never reaches it.
  const auto value = system.ReadUserRegistryText(kHostRegistryKey, kHostRegistryValue);
  const std::optional<std::string> registry = value ? RegistryFolder(files, *value) : std::nullopt;
  if (value && HoldsScriptSyntax(*value)) {
    if (registry) run.HostDataPath = *registry;
    return nullptr;
  }

  const std::string exchange = run.MyPath + names::kDataPathAnswer;
  auto script = RunScript(files, system, screen, run, exchange);
  const std::optional<std::string> answer = ReadAnswer(files, system, exchange);
  if (answer && NamesUsableFolder(files, *answer)) {
    run.HostDataPath = *answer;
  } else if (registry) {
    // The script was late (a busy machine, a scanner holding it up), lost letters, or
    // could not run its loop.
    run.HostDataPath = *registry;
  } else if (answer) {
    run.HostDataPath = *answer;  // used as it is: a copy into it is never started
  } else {
    // No answer and no registry value to go on: the run ends with the report, file not
    // found, or input past end for an empty answer.
    throw RunError(files.IsPlainFile(exchange) ? err::kInputPastEnd : err::kFileNotFound);
  }
  return script;
}

}  // namespace td
