// Finds the host's data folder: the carried script reads the host's registry value
// and leaves it in an exchange file, which is read after a fixed wait.
#include "host/HostLayout.h"
#include "host/ModResFiles.h"
#include "launcher/MasterFolder.h"
#include "launcher/TextUtil.h"
#include "launcher/fTumbledeck.h"

namespace td {

namespace {

constexpr double kScriptWaitSeconds = 5.0;

}  // namespace

void fTumbledeck::GetPXDRPath() {
  WriteResFile(platform_, kResDataPathScript, "CUSTOM", MyPath + names::kDataPathScript);

  // An answer left by an earlier run that ended early must not pass for this run's; one
  // that cannot be deleted ends the run here.
  const std::string exchange = MyPath + names::kDataPathAnswer;
  platform_.Files().RemoveFile(exchange, IfMissing::kIgnore);

  System& machine = platform_.Machine();
  machine.StartProcess(ScriptCommandLine(names::kDataPathScript, MyPath));
  const double start = machine.Seconds();
  while (machine.Seconds() - start < kScriptWaitSeconds) platform_.Screen().DoEvents();

  const std::vector<std::string> lines = SplitLines(platform_.Files().ReadBytes(exchange));
  if (lines.empty()) throw RunError(err::kInputPastEnd);
  // The interpreter writes in the console code page.
  HostDataPath = TrimTrailingSpaces(machine.DecodeConsoleText(lines[0]));
  if (!NamesUsableFolder(HostDataPath)) TakeRegistryDataPath();
}

// The script's answer loses what the command interpreter cannot carry: letters it
// cannot spell come back as "?", a run of blanks as one blank, an "&" not at all.
bool fTumbledeck::NamesUsableFolder(const std::string& path) {
  return path.find('?') == std::string::npos && IsAbsolutePath(path) &&
         platform_.Files().IsFolder(path);
}

// The registry value the script reads, read directly: the path as the host wrote it.
// Taken only when it names an existing folder; otherwise the script's answer stays.
void fTumbledeck::TakeRegistryDataPath() {
  const auto value =
      platform_.Machine().ReadUserRegistryText(kHostRegistryKey, kHostRegistryValue);
  if (!value || !IsAbsolutePath(*value) || !platform_.Files().IsFolder(*value)) return;
  HostDataPath = *value;
  if (HostDataPath.back() != '\\') HostDataPath += '\\';
}

}  // namespace td
