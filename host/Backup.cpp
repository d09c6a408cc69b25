#include "host/Backup.h"

#include <algorithm>

#include "host/ModResFiles.h"
#include "host/ScriptCommandLine.h"
#include "run/MasterFolder.h"

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

// Makes saveorig\data and the empty marker "exclude.txt"; folders that exist keep
// their content.
void PrepareBackupFolder(FileSystem& files, const std::string& master) {
  SkipFailure([&] { files.ChangeFolder(master); });
  SkipFailure([&] { files.MakeFolder(master + names::kBackupSet); });
  SkipFailure([&] { files.ChangeFolder(names::kBackupSet); });
  SkipFailure([&] { files.MakeFolder(master + names::kBackupData); });
  SkipFailure([&] { files.ChangeFolder(".."); });
  SkipFailure([&] { files.WriteBytes(master + names::kBackupMarker, ""); });
}

// The folder the back-up script is handed. The script finds its own folder again
// through the command interpreter, which garbles letters beyond ASCII (Wine all of
// them, Windows those its console code page lacks) and, under Wine, eats a "%" each time
// it expands the folder; the short 8.3 form of such a folder, where the volume keeps
// one, names the same folder in plain ASCII.
std::string BackupScriptFolder(FileSystem& files, const std::string& master) {
  const auto plain = [](const std::string& path, bool blanks) {
    return std::all_of(path.begin(), path.end(), [blanks](char c) {
      return (c > ' ' || (blanks && c == ' ')) && c < 0x7F && c != '%';
    });
  };
  if (plain(master, true)) return master;
  const auto shortForm = files.ShortPath(master);
  return shortForm && plain(*shortForm, false) ? *shortForm : master;
}

}  // namespace

void MakeBackup(Platform& platform, RunState& run) {
  Ui& ui = platform.Screen();
  FileSystem& files = platform.Files();
  if (run.DebugMode) ui.ShowMessage(run.MyPath);
  PrepareBackupFolder(files, run.MyPath);

  WriteResFile(platform, kResBackupScript, "CUSTOM", run.MyPath + names::kBackupScript);
  const std::string command =
      ScriptCommandLine(run, names::kBackupScript, BackupScriptFolder(files, run.MyPath));
  if (run.DebugMode) ui.ShowMessage(command);
  if (run.WriteCopyScript) {
    ui.ShowMessage(command);
  } else {
    const auto script = platform.Machine().StartProcess(command);
    // The script deletes the marker as its very last step. One that ended without
    // getting there (its window closed, a folder it could not find) ends the wait too.
    const std::string marker = run.MyPath + names::kBackupMarker;
    while (files.IsPlainFile(marker) && !script->HasEnded()) ui.DoEvents();
    CheckBackup(platform, run, !files.IsPlainFile(marker));
  }
  run.WorkDone = true;
}

}  // namespace td
