// What the carried scripts do, modelled for the simulated machine: the real scripts
// run under the Wine end-to-end tests; here only their effect on files and timing.
#pragma once

#include <optional>
#include <string>

#include "platform/sim/SimPlatform.h"

namespace td::test {

// The host's registry value as the scripts would find it.
struct HostRegistry {
  std::optional<std::string> dataPath;
};

// "GetPXDRData.bat": after `delay` seconds writes the registry value's words, joined
// by single blanks and cut to 100 characters, plus a blank and CR LF, in the console
// code page, into <argument>pxdrdatapath.txt. Never answers when delay is negative.
void InstallDataPathScript(sim::SimPlatform& machine, const HostRegistry& registry, double delay);

// "SaveOrig.bat": fills the marker with the exclusion list at once, copies the host's
// data folder into <argument>saveorig\data after `delay` seconds and then deletes the
// marker. A negative delay models a script window the user closed: the marker stays.
void InstallBackupScript(sim::SimPlatform& machine, const HostRegistry& registry, double delay);

// The exclusion list as the back-up script writes it.
std::string ExclusionList();

}  // namespace td::test
