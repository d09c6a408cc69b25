// The run's shared state: the values that the start-up, the commands and the windows
// read and set, alive for the whole run and touched only on the user-interface thread.
// The main window holds them; the other windows and the host's steps are handed them.
// They keep the names of the program's design (MyPath, WorkDone...), like the windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace td {

struct RunState {
  std::string MyPath;        // the master folder, always ending in "\"
  std::string MyName;        // the executable's base name
  std::string Quote;         // the double-quote character
  std::string HostDataPath;  // the host's data folder, ending in "\" once found
  std::string SetName;       // the card set or command of this run
  std::vector<std::string> SetNames;  // the catalogue; position p is SetNames[p - 1]
  int16_t SetCount = 0;
  std::vector<int16_t> SetOrder;      // a permutation of 1..SetCount in [1..SetCount]
  // The run's work is finished: the main window's next tick ends the run. Only ever
  // goes from false to true.
  bool WorkDone = false;
  bool DebugMode = false;        // debug.ini line 1: show commands instead of running them
  bool WriteCopyScript = false;  // debug.ini line 2: write the copy command to a file
  std::string CopyCommand;
};

}  // namespace td
