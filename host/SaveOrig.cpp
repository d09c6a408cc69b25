// The "makebackup" command: copies the host's installed cards into the master
// folder's "saveorig\data" with the carried back-up script, and waits until the
// script deletes its marker file.
#include <algorithm>

#include "host/ModResFiles.h"
#include "launcher/MasterFolder.h"
#include "launcher/fTumbledeck.h"

namespace td {

namespace {

// Runs one preparation step. Every failure is skipped on purpose: a folder that exists
// already is the normal case, and whatever else fails shows when the script runs.
template <typename Step>
void SkipFailure(Step step) {
  try {
    step();
  } catch (const RunError&) {
  }
}

}  // namespace

void fTumbledeck::SaveOrig() {
  Ui& ui = platform_.Screen();
  if (DebugMode) ui.ShowMessage(MyPath);
  PrepareBackupFolder();

  WriteResFile(platform_, kResBackupScript, "CUSTOM", MyPath + names::kBackupScript);
  const std::string command = ScriptCommandLine(names::kBackupScript, BackupScriptFolder());
  if (DebugMode) ui.ShowMessage(command);
  if (WriteCopyScript) {
    ui.ShowMessage(command);
  } else {
    const auto script = platform_.Machine().StartProcess(command);
    // The script deletes the marker as its very last step. One that ended without
    // getting there (its window closed, a folder it could not find) ends the wait too.
    FileSystem& files = platform_.Files();
    const std::string marker = MyPath + names::kBackupMarker;
    while (files.IsPlainFile(marker) && !script->HasEnded()) ui.DoEvents();
    CheckBackup(!files.IsPlainFile(marker));
  }
  WorkDone = true;
}

// The folder the back-up script is handed. The script finds its own folder again
// through the command interpreter, which garbles letters beyond ASCII (Wine all of
// them, Windows those its console code page lacks) and, under Wine, eats a "%" each time
// it expands the folder; the short 8.3 form of such a folder, where the volume keeps
// one, names the same folder in plain ASCII.
std::string fTumbledeck::BackupScriptFolder() {
  const auto plain = [](const std::string& path, bool blanks) {
    return std::all_of(path.begin(), path.end(), [blanks](char c) {
      return (c > ' ' || (blanks && c == ' ')) && c < 0x7F && c != '%';
    });
  };
  if (plain(MyPath, true)) return MyPath;
  const auto shortForm = platform_.Files().ShortPath(MyPath);
  return shortForm && plain(*shortForm, false) ? *shortForm : MyPath;
}

// Makes saveorig\data and the empty marker "exclude.txt"; folders that exist keep
// their content.
void fTumbledeck::PrepareBackupFolder() {
  FileSystem& files = platform_.Files();
  SkipFailure([&] { files.ChangeFolder(MyPath); });
  SkipFailure([&] { files.MakeFolder(MyPath + names::kBackupSet); });
  SkipFailure([&] { files.ChangeFolder(names::kBackupSet); });
  SkipFailure([&] { files.MakeFolder(MyPath + names::kBackupData); });
  SkipFailure([&] { files.ChangeFolder(".."); });
  SkipFailure([&] { files.WriteBytes(MyPath + names::kBackupMarker, ""); });
}

}  // namespace td
