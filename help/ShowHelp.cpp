// The "help" command.
#include "launcher/fTumbledeck.h"

namespace td {

// The help window is not built yet; until it is, the command only ends the run.
void fTumbledeck::ShowHelp() { WorkDone = true; }

}  // namespace td
