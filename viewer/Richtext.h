// Putting one picture into a rich-text view, through the system clipboard.
#pragma once

#include "platform/Platform.h"

namespace td {

// Empties the clipboard, puts the picture on it and has the view paste it at its caret,
// as one embedded object with the caret behind it. A failure (a clipboard that another
// program holds, a refused picture) passes to the caller, with the clipboard emptied.
// Afterwards the clipboard holds the picture: the user may paste it elsewhere.
void InsertPicture(Ui& ui, RichTextView& view, const Picture& picture);

}  // namespace td
