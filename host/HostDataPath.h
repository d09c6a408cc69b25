// Finding the host's data folder at every start: the carried script reads the host's
// registry value and leaves it in an exchange file, which is read after a fixed wait.
#pragma once

#include "platform/Platform.h"
#include "run/RunState.h"

namespace td {

// Sets run.HostDataPath. A failure that leaves no answer passes to the caller.
void FindHostDataPath(Platform& platform, RunState& run);

}  // namespace td
