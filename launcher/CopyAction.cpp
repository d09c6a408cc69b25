// The settings file "debug.ini" and the copy action that installs a card set.
#include "launcher/fTumbledeck.h"
#include "platform/AsciiCase.h"
#include "run/MasterFolder.h"
#include "run/TextUtil.h"

namespace td {

void fTumbledeck::ReadSettings() {
  // Only two short lines matter: the file may be of any size.
  constexpr std::size_t kSettingsHead = 64 * 1024;
  std::string bytes;
  try {
    bytes = platform_.FileSystem().ReadHead(MyPath + names::kSettings, kSettingsHead);
  } catch (const RunError&) {
    return;  // no settings file, or one that cannot be read: both modes stay off
  }
  std::vector<std::string> lines = SplitLines(bytes);
  // A line that the head cuts off is not known whole.
  if (bytes.size() == kSettingsHead && !lines.empty() && bytes.back() != '\r') lines.pop_back();
  auto isTrue = [this](const std::string& line) {
    return LowerAscii(platform_.System().DecodeAnsiText(line)) == "true";
  };
  if (lines.size() >= 1) DebugMode = isTrue(lines[0]);
  if (lines.size() >= 2) WriteCopyScript = isTrue(lines[1]);
}

void fTumbledeck::CopySet() {
  CopyCommand = "Xcopy /s /y " + Quote + MyPath + SetName + "\\data" + Quote + " " + Quote +
                HostDataPath + Quote;
  System& machine = platform_.System();
  if (WriteCopyScript) {
    // Written in the console (OEM) code page, not the ANSI one: the command interpreter
    // reads a batch file that way, and the master folder's letters beyond ASCII would
    // otherwise name another folder when the user runs the file.
    platform_.FileSystem().WriteBytes(MyPath + names::kCopyScript,
                                 machine.EncodeConsoleText(CopyCommand) + "\r\n");
  }
  if (DebugMode) platform_.Screen().ShowMessage(CopyCommand);
  if (WriteCopyScript || DebugMode) return;
  // An empty or relative host path (the script's answer when the host has no value)
  // would make xcopy copy into whatever folder is current, and a quote in it would end
  // the path early: the command is shown or written as it is, but never run.
  if (IsAbsolutePath(HostDataPath) && !HoldsNoNameCharacter(HostDataPath)) {
    machine.StartProcess(CopyCommand);
  }
}

}  // namespace td
