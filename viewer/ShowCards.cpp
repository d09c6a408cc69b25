// The "showcards" command.
#include "launcher/fTumbledeck.h"

namespace td {

// The card viewer is not built yet; until it is, the command only ends the run.
void fTumbledeck::ShowCards() { WorkDone = true; }

}  // namespace td
