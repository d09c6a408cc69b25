// The main window "Random Tumbledeck": it holds the run's shared state, and its load
// handler performs the whole job in one pass. The run ends when some part sets
// WorkDone; the window's timer then deletes the scratch files and closes every window.
//
// The forms read differently from the rest of the code on purpose: the windows, their
// controls, handlers and shared values keep the names of the program's design
// (fTumbledeck, Form_Load, Timer1_Timer, CmdEnd, MyPath, WorkDone...), so that each can
// be found under the same name in the user guide, the design notes and the code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace td {

class Form2;
class Form3;
class Form4;

class fTumbledeck : public WindowEvents {
 public:
  explicit fTumbledeck(Platform& platform);
  ~fTumbledeck() override;

  // --- Shared state, alive for the whole run -------------------------------------
  std::string MyPath;        // the master folder, always ending in "\"
  std::string MyName;        // the executable's base name
  std::string Quote;         // the double-quote character
  std::string HostDataPath;  // the host's data folder, as its registry value has it
  std::string SetName;       // the card set or command of this run
  std::vector<std::string> SetNames;  // the catalogue; position p is SetNames[p - 1]
  int16_t SetCount = 0;
  std::vector<int16_t> SetOrder;      // a permutation of 1..SetCount in [1..SetCount]
  bool WorkDone = false;
  bool DebugMode = false;
  bool WriteCopyScript = false;
  std::string CopyCommand;

  // The other windows, created on first use by the commands that need them: the
  // progress window, the card viewer and the help window. They live until the end of
  // the run; an unloaded window only lies dead.
  std::unique_ptr<td::Form2> Form2;
  std::unique_ptr<td::Form3> Form3;
  std::unique_ptr<td::Form4> Form4;

  // --- Start and end of the run ----------------------------------------------------
  // Creates the window (hidden), runs Form_Load and shows the window minimized. A
  // failure that nothing trapped is reported and ends the process.
  void Load();
  void Form_Load();
  void Timer1_Timer();
  void CmdEnd_Click();

  // --- The run's steps -------------------------------------------------------------
  void GetAppInfo();
  void GetPXDRPath();
  void ReadFiles();
  std::vector<std::string> GetCommandLine(int MaxArgs = 10);
  void SaveOrig();
  void ShowHelp();
  void ShowCards();

 private:
  void ShuffleSets();
  void ReadSettings();
  bool SetHasData();
  void CopySet();
  bool NamesUsableFolder(const std::string& path);
  void TakeRegistryDataPath();
  void PrepareBackupFolder();
  std::string BackupScriptFolder();
  void CheckBackup(bool scriptFinished);
  void RemoveScratchFiles();
  // A carried script's command line: its path in the folder, then the folder, quoted.
  std::string ScriptCommandLine(const std::string& scriptName, const std::string& folder) const;

  Platform& platform_;
  std::unique_ptr<Window> window_;
  std::unique_ptr<Button> CmdEnd;
  std::unique_ptr<Timer> Timer1;
  bool unloaded_ = false;
};

// Runs the program: the main window's load, then events until the last window is gone.
int RunTumbledeck(Platform& platform);

}  // namespace td
