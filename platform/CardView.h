// The card view: the viewer's cards in sequence, side by side from the left and wrapping
// at the view's width, which the user scrolls through, selects, copies and drags out but
// never changes. A text-like control to the tools that read controls: one character for
// each card, a row of cards a line.
#pragma once

#include "platform/Controls.h"
#include "platform/Pictures.h"

namespace td {

class CardView : public Control {
 public:
  // On or off, the user only scrolls, selects, copies and drags out: nothing typed,
  // pasted, cut, deleted or dropped changes the cards, and the program's own additions
  // arrive either way. The switch is there for the tools that ask a view for it.
  virtual void SetReadOnly(bool readOnly) = 0;
  // The view holds no card afterwards.
  virtual void ClearText() = 0;
  // The caret behind `position` cards, nothing selected, and the caret's row in sight;
  // behind the first card, the view shows its start.
  virtual void SetSelStart(TextPosition position) = 0;
  // Adds the card at the end, whatever the user does with the caret, the selection or
  // the scroll bar meanwhile: they stay as the user left them. The view keeps what it
  // needs to lay the card out and find its picture again, not its pixels.
  virtual void AppendPicture(const Picture& picture) = 0;
};

}  // namespace td
