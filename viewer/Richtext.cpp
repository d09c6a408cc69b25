#include "viewer/Richtext.h"

namespace td {

void InsertPicture(CardView& view, const Picture& picture) { view.AppendPicture(picture); }

void LeaveOnClipboard(Pictures& pictures, const Picture& picture) {
  try {
    pictures.ClearClipboard();
    pictures.PutOnClipboard(picture);
  } catch (const RunError&) {
    // The cards are in the view; the clipboard is a convenience.
  }
}

}  // namespace td
