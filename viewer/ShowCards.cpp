// The "showcards" command.
#include "launcher/fTumbledeck.h"
#include "viewer/Form3.h"

namespace td {

// Opens the card viewer and returns at once; the run lasts as long as the viewer.
void fTumbledeck::ShowCards() {
  if (!Form3) Form3 = std::make_unique<td::Form3>(*this, platform_);
  Form3->Show();
}

}  // namespace td
