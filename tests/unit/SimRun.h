// A whole run of Tumbledeck on the simulated machine: a master folder with the
// program in it, a host with a data folder, and the carried scripts' effects.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ScriptModels.h"
#include "launcher/fTumbledeck.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimWindows.h"

namespace td::test {

using Files = std::map<std::string, std::string>;

class SimRun {
 public:
  explicit SimRun(std::string masterFolder = "C:\\My Card Sets\\");

  // A card set in the master folder whose data folder holds the given cards.
  void AddSet(const std::string& name, const std::vector<std::string>& cards = {"a0001", "a0002"});
  // The files a set's cards consist of, relative to its data folder.
  static Files CardFiles(const std::string& set, const std::vector<std::string>& cards);
  void WriteSettings(const std::string& bytes) { sim.fs.AddFile(master + "debug.ini", bytes); }

  // Runs the program with the given command tail until its process ends; processes it
  // started are then let finish.
  void Run(const std::string& commandTail = "");

  bool EndedByItself() const { return seen.ended.empty(); }
  std::vector<std::string> MasterFiles() const { return sim.fs.Children(master); }
  Files HostFiles() const { return sim.fs.Snapshot(hostData); }

  sim::SimPlatform sim;
  std::string master;
  std::string hostData = "D:\\Pixadore\\Data\\";

  // What the test sets up beyond the machine: the host and its data-path script.
  struct Given {
    HostRegistry registry;
    double scriptDelay = 0.8;           // how long the data-path script takes
    std::optional<std::string> answer;  // what it writes, where not the registry's value
  } given;

  // What the run came to.
  struct Seen {
    std::string ended;    // why the process ended abnormally
    double loadEnd = -1;  // seconds from the start until the start-up returned
    double end = -1;      // seconds from the start until the process ended
  } seen;
};

}  // namespace td::test
