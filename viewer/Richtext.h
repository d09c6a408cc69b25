// Putting one picture into a rich-text view, by way of the system clipboard.
#pragma once

#include "platform/Platform.h"

namespace td {

// Empties the clipboard, puts the picture on it and adds that same picture to the end of
// the view, as one embedded object. What another program puts on the clipboard
// meanwhile never enters the view, and where the user has put the caret does not
// matter. A failure (a clipboard that another program holds, a refused picture) passes
// to the caller, with the clipboard emptied. Afterwards the clipboard holds the picture:
// the user may paste it elsewhere.
void InsertPicture(Ui& ui, RichTextView& view, const Picture& picture);

}  // namespace td
