// The "makebackup" command: copies the host's installed cards into the master folder's
// "saveorig\data" with the carried back-up script, waits until the script is done, and
// tells the user when the back-up is incomplete.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Screen.h"
#include "platform/System.h"
#include "run/RunState.h"

namespace td {

// Runs the whole back-up and sets run.WorkDone at its end.
void MakeBackup(FileSystem& files, System& system, Screen& screen, RunState& run);

// After the script: does saveorig\data hold every card picture of the host? Shows what
// is missing in a message box; `scriptFinished` is false when the script ended before
// its last step.
void CheckBackup(FileSystem& files, Screen& screen, const RunState& run, bool scriptFinished);

}  // namespace td
