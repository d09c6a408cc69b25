// The main window "Random Tumbledeck": it holds the run's shared state, and its load
// handler performs the whole job in one pass. The run ends when some part sets
// WorkDone; the window's timer then deletes the scratch files and closes every window.
//
// The forms read differently from the rest of the code on purpose: the windows, their
// controls, handlers and shared values keep the names of the program's design
// (fTumbledeck, Form_Load, Timer1_Timer, CmdEnd, MyPath, WorkDone...), so that each can
// be found under the same name in the user guide, the design notes and the code.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "help/Form4.h"
#include "platform/Platform.h"
#include "run/RunState.h"
#include "viewer/Form3.h"

namespace td {

class fTumbledeck : public RunState, public WindowEvents {
 public:
  explicit fTumbledeck(Platform& platform);
  ~fTumbledeck() override;

  // The windows the commands open, created on first use: the card viewer (which owns
  // its progress window) and the help window. They live until the end of the run; an
  // unloaded window only lies dead.
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
  void RemoveScratchFiles();

  // The host-folder script, which may outlive its fixed wait on a busy machine.
  std::unique_ptr<StartedProcess> dataPathScript_;
  Platform& platform_;
  std::unique_ptr<Window> window_;
  std::unique_ptr<Button> CmdEnd;  // "Quit"
  std::unique_ptr<Timer> Timer1;   // every 500 ms: ends the run once WorkDone is set
  bool unloaded_ = false;
};

// Runs the program: the main window's load, then events until the last window is gone.
int RunTumbledeck(Platform& platform);

}  // namespace td
