// The "makebackup" command: copies the host's installed cards into the master
// folder's "saveorig\data" with the carried back-up script, and waits until the
// script deletes its marker file.
#include "host/ModResFiles.h"
#include "launcher/fTumbledeck.h"

namespace td {

namespace {

constexpr const char* kScript = "SaveOrig.bat";

// Runs one preparation step; a step that fails is skipped.
template <typename Step>
void Try(Step step) {
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

  WriteResFile(platform_, kResBackupScript, "CUSTOM", MyPath + kScript);
  const std::string command = ScriptCommandLine(kScript);
  if (DebugMode) ui.ShowMessage(command);
  if (WriteCopyScript) {
    ui.ShowMessage(command);
  } else {
    platform_.Machine().StartProcess(command);
    // The script deletes the marker as its very last step.
    const std::string marker = MyPath + "saveorig\\data\\exclude.txt";
    while (platform_.Files().IsPlainFile(marker)) ui.DoEvents();
  }
  WorkDone = true;
}

// Makes saveorig\data and the empty marker "exclude.txt"; folders that exist keep
// their content.
void fTumbledeck::PrepareBackupFolder() {
  FileSystem& files = platform_.Files();
  Try([&] { files.ChangeFolder(MyPath); });
  Try([&] { files.MakeFolder(MyPath + "saveorig"); });
  Try([&] { files.ChangeFolder("saveorig"); });
  Try([&] { files.MakeFolder(MyPath + "saveorig\\data"); });
  Try([&] { files.ChangeFolder(".."); });
  Try([&] { files.WriteBytes(MyPath + "saveorig\\data\\exclude.txt", ""); });
}

}  // namespace td
