// Finds the host's data folder: the carried script reads the host's registry value
// and leaves it in an exchange file, which is read after a fixed wait.
#include "host/ModResFiles.h"
#include "launcher/TextUtil.h"
#include "launcher/fTumbledeck.h"

namespace td {

namespace {

constexpr const char* kScript = "GetPXDRData.bat";
constexpr const char* kExchangeFile = "pxdrdatapath.txt";
constexpr double kScriptWaitSeconds = 5.0;

}  // namespace

bool fTumbledeck::Exists(const std::string& path) {
  try {
    platform_.Files().Attributes(path);
    return true;
  } catch (const RunError&) {
    return false;
  }
}

void fTumbledeck::GetPXDRPath() {
  WriteResFile(platform_, kResDataPathScript, "CUSTOM", MyPath + kScript);

  // An answer left by an earlier run that ended early must not pass for this run's.
  const std::string exchange = MyPath + kExchangeFile;
  try {
    platform_.Files().RemoveFile(exchange);
  } catch (const RunError&) {
  }
  if (Exists(exchange)) {
    throw RunError(err::kPathFileAccess, "Cannot replace \"" + exchange + "\"");
  }

  System& machine = platform_.Machine();
  machine.StartProcess(ScriptCommandLine(kScript));
  const double start = machine.Seconds();
  while (machine.Seconds() - start < kScriptWaitSeconds) platform_.Screen().DoEvents();

  const std::vector<std::string> lines = SplitLines(platform_.Files().ReadBytes(exchange));
  if (lines.empty()) throw RunError(err::kInputPastEnd);
  // The interpreter writes in the console code page.
  HostDataPath = TrimTrailingSpaces(machine.DecodeConsoleText(lines[0]));
}

}  // namespace td
