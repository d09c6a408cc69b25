// The "makebackup" command: copies the host's installed cards into the master
// folder's "saveorig\data" with the carried back-up script, and waits until the
// script deletes its marker file.
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
  const std::string command = ScriptCommandLine(names::kBackupScript);
  if (DebugMode) ui.ShowMessage(command);
  if (WriteCopyScript) {
    ui.ShowMessage(command);
  } else {
    platform_.Machine().StartProcess(command);
    // The script deletes the marker as its very last step.
    const std::string marker = MyPath + names::kBackupMarker;
    while (platform_.Files().IsPlainFile(marker)) ui.DoEvents();
  }
  WorkDone = true;
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
