// The "help" command.
#include "help/Form4.h"
#include "host/ModResFiles.h"
#include "launcher/MasterFolder.h"
#include "launcher/fTumbledeck.h"

namespace td {

// Writes the user guide beside the program and opens the help window; returns at once.
// A guide that cannot be written shows an older copy if one is there, else the window's
// load of it reports the failure.
void fTumbledeck::ShowHelp() {
  WriteResFile(platform_, kResUserGuide, "CUSTOM", MyPath + names::kUserGuide);
  if (!Form4) Form4 = std::make_unique<td::Form4>(*this, platform_);
  Form4->Show();
}

}  // namespace td
