#include "viewer/Richtext.h"

namespace td {

void InsertPicture(Ui& ui, RichTextView& view, const Picture& picture) {
  ui.ClearClipboard();
  ui.PutOnClipboard(picture);
  view.AppendPicture(picture);
}

}  // namespace td
