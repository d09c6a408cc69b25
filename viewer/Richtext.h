// Putting one picture into the card view, and leaving the fill's last card on the system
// clipboard.
#pragma once

#include "platform/Platform.h"

namespace td {

// Adds the picture to the end of the view as one card; where the user has put the caret
// does not matter. The clipboard is not used: other programs (a clipboard history, a
// remote desktop) would see, and ask for, every card. A failure (a picture the view
// refuses) passes to the caller.
void InsertPicture(CardView& view, const Picture& picture);

// Leaves the picture alone on the clipboard, as the last card of a fill: what the user had
// there before is gone, and the user may paste the card elsewhere. A clipboard that
// another program keeps busy, or that refuses the picture, costs only the put.
void LeaveOnClipboard(Pictures& pictures, const Picture& picture);

}  // namespace td
