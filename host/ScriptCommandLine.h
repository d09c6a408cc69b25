// How the carried scripts are started: the script's path in a folder, one blank, and
// the folder, each in double quotes: "C:\Sets\GetPXDRData.bat" "C:\Sets\".
#pragma once

#include <string>

#include "run/RunState.h"

namespace td {

inline std::string ScriptCommandLine(const RunState& run, const std::string& scriptName,
                                     const std::string& folder) {
  return run.Quote + folder + scriptName + run.Quote + " " + run.Quote + folder + run.Quote;
}

}  // namespace td
