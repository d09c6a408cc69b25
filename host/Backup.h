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

// The back-up script's copy, made by the program where the system's interpreter cannot
// make it: the host's data folder into saveorig\data as "xcopy /s /y /EXCLUDE:" copies
// it (subfolders that hold files, files of the same name replaced, kBackupExclusions
// left out, their folders made all the same). A file that cannot be copied costs only itself; the check after the back-up
// tells.
void CopyHostIntoBackup(FileSystem& files, Screen& screen, const RunState& run);

// After the script: does saveorig\data hold every card picture of the host? Shows what
// is missing in a message box; `scriptFinished` is false when the script ended before
// its last step.
void CheckBackup(FileSystem& files, Screen& screen, const RunState& run, bool scriptFinished);

}  // namespace td
