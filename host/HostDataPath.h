// Finding the host's data folder at every start. The host's registry value is read
// first; the carried script then reads it the way the host's own tools do and leaves it
// in an exchange file, which is read after a fixed wait. Where the script's answer is
// late or unusable, the value read directly stands in.
#pragma once

#include <memory>

#include "platform/FileSystem.h"
#include "platform/Screen.h"
#include "platform/System.h"
#include "run/RunState.h"

namespace td {

// Sets run.HostDataPath, a folder ending in "\" where one was found. Returns the script
// it started, which may still run (late on a busy machine): the end of the run ends it
// before it deletes the script's files. A value that the script would run as commands
// is taken as it is, and no script is started. With neither an answer nor a usable
// value, the failure passes to the caller.
std::unique_ptr<StartedProcess> FindHostDataPath(FileSystem& files, System& system,
                                                 Screen& screen, RunState& run);

}  // namespace td
