// Factory of the real Windows implementation of the platform interface. Portable on
// purpose: the program's entry point includes it without pulling in <windows.h>.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace td {

// Restricts the process's library search to the Windows system folder (no library that
// lies beside the program ever loads), initialises COM and OLE for the calling
// (user-interface) thread and returns the platform that talks to Windows. Create it
// once, first thing, on the thread that runs the windows.
std::unique_ptr<Platform> CreateWin32Platform();

}  // namespace td
