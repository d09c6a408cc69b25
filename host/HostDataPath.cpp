// Finds the host's data folder: the carried script reads the host's registry value
// and leaves it in an exchange file, which is read after a fixed wait.
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
  machine.StartProcess(ScriptCommandLine(names::kDataPathScript));
  const double start = machine.Seconds();
  while (machine.Seconds() - start < kScriptWaitSeconds) platform_.Screen().DoEvents();

  const std::vector<std::string> lines = SplitLines(platform_.Files().ReadBytes(exchange));
  if (lines.empty()) throw RunError(err::kInputPastEnd);
  // The interpreter writes in the console code page.
  HostDataPath = TrimTrailingSpaces(machine.DecodeConsoleText(lines[0]));
}

}  // namespace td
