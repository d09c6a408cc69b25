// Finds the host's data folder: the carried script reads the host's registry value
// and leaves it in an exchange file, which is read after a fixed wait.
#include "host/HostDataPath.h"

#include "host/HostLayout.h"
#include "host/ModResFiles.h"
#include "host/ScriptCommandLine.h"
#include "run/MasterFolder.h"
#include "run/TextUtil.h"

namespace td {

namespace {

constexpr double kScriptWaitSeconds = 5.0;

// The script's answer loses what the command interpreter cannot carry: letters it
// cannot spell come back as "?", a run of blanks as one blank, an "&" not at all.
bool NamesUsableFolder(FileSystem& files, const std::string& path) {
  return path.find('?') == std::string::npos && IsAbsolutePath(path) && files.IsFolder(path);
}

// The registry value the script reads, read directly: the path as the host wrote it.
// Taken only when it names an existing folder; otherwise the script's answer stays.
void TakeRegistryDataPath(Platform& platform, RunState& run) {
  const auto value =
      platform.Machine().ReadUserRegistryText(kHostRegistryKey, kHostRegistryValue);
  if (!value || !IsAbsolutePath(*value) || !platform.Files().IsFolder(*value)) return;
  run.HostDataPath = *value;
  if (run.HostDataPath.back() != '\\') run.HostDataPath += '\\';
}

}  // namespace

void FindHostDataPath(Platform& platform, RunState& run) {
  WriteResFile(platform, kResDataPathScript, "CUSTOM", run.MyPath + names::kDataPathScript);

  // An answer left by an earlier run that ended early must not pass for this run's; one
  // that cannot be deleted ends the run here.
  const std::string exchange = run.MyPath + names::kDataPathAnswer;
  platform.Files().RemoveFile(exchange, IfMissing::kIgnore);

  System& machine = platform.Machine();
  machine.StartProcess(ScriptCommandLine(run, names::kDataPathScript, run.MyPath));
  const double start = machine.Seconds();
  while (machine.Seconds() - start < kScriptWaitSeconds) platform.Screen().DoEvents();

  const std::vector<std::string> lines = SplitLines(platform.Files().ReadBytes(exchange));
  if (lines.empty()) throw RunError(err::kInputPastEnd);
  // The interpreter writes in the console code page.
  run.HostDataPath = TrimTrailingSpaces(machine.DecodeConsoleText(lines[0]));
  if (!NamesUsableFolder(platform.Files(), run.HostDataPath)) TakeRegistryDataPath(platform, run);
}

}  // namespace td
