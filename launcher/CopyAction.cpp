// The settings file "debug.ini" and the copy action that installs a card set.
#include "launcher/TextUtil.h"
#include "launcher/fTumbledeck.h"

namespace td {

void fTumbledeck::ReadSettings() {
  std::string bytes;
  try {
    bytes = platform_.Files().ReadBytes(MyPath + "debug.ini");
  } catch (const RunError&) {
    return;  // no settings file: both diagnostic modes stay off
  }
  const std::vector<std::string> lines = SplitLines(bytes);
  auto isTrue = [this](const std::string& line) {
    return LowerAscii(platform_.Machine().DecodeAnsiText(line)) == "true";
  };
  if (lines.size() >= 1) DebugMode = isTrue(lines[0]);
  if (lines.size() >= 2) WriteCopyScript = isTrue(lines[1]);
}

void fTumbledeck::CopySet() {
  CopyCommand = "Xcopy /s /y " + Quote + MyPath + SetName + "\\data" + Quote + " " + Quote +
                HostDataPath + Quote;
  System& machine = platform_.Machine();
  if (WriteCopyScript) {
    // The interpreter reads a batch file in the console code page.
    platform_.Files().WriteBytes(MyPath + "XcopyCmd.bat",
                                 machine.EncodeConsoleText(CopyCommand) + "\r\n");
  }
  if (DebugMode) platform_.Screen().ShowMessage(CopyCommand);
  if (!WriteCopyScript && !DebugMode) machine.StartProcess(CopyCommand);
}

}  // namespace td
