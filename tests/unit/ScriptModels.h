// What the carried scripts do, modelled for the simulated machine: the real scripts
// run under the Wine end-to-end tests; here only their effect on files and timing.
// Both read the host's value from the simulated registry, as the real ones do, and
// rebuild it the way their token loop does: words joined by single blanks, cut to 100
// characters, and every letter that the console's code page lacks turned into "?".
#pragma once

#include <optional>
#include <string>

#include "platform/sim/SimPlatform.h"

namespace td::test {

// The host's registry value as the scripts and the program find it.
struct HostRegistry {
  std::optional<std::string> dataPath;
};

// Puts the value into the machine's registry, or takes it out.
void WriteRegistry(sim::SimPlatform& machine, const HostRegistry& registry);

// "GetPXDRData.bat": after `delay` seconds writes its answer, a blank and CR LF, in the
// console code page, into <argument>pxdrdatapath.txt; or, given `bytes`, those as they
// are. Never answers when delay is negative.
void InstallDataPathScript(sim::SimPlatform& machine, double delay,
                           std::optional<std::string> bytes = std::nullopt);

// How a run of "SaveOrig.bat" ends.
enum class BackupEnd {
  kCompletes,     // copies the host's data folder, deletes the marker, ends
  kWindowClosed,  // the user closes its window: it ends, the marker stays, and its copy
                  // goes on a second longer (as Wine's xcopy may)
  kNeverEnds,     // it hangs: the marker stays, the process lives on
};

// "SaveOrig.bat": fills the marker with the exclusion list at once and ends `seconds`
// later as `end` says. A master folder whose name the interpreter cannot spell (letters
// its code page lacks) makes it work elsewhere: nothing is copied, the marker stays.
void InstallBackupScript(sim::SimPlatform& machine, double seconds,
                         BackupEnd end = BackupEnd::kCompletes);

// The exclusion list as the back-up script `script` writes it into its marker, one entry
// and the blank its echo leaves per line.
std::string ExclusionList(const std::string& script);

}  // namespace td::test
