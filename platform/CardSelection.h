// The user's selection in the card view, kept as a text control keeps it: from an anchor
// to an active end, in places between cards (0 to the count), so that a tool reading the
// view sees one character for each card. Keys and clicks move it as a list view of icons
// does: the card they lead to selected, or with Shift the run from the card selected
// first to it.
#pragma once

#include <cstdint>

#include "platform/CardLayout.h"
#include "platform/Controls.h"

namespace td {

struct CardSelection {
  TextPosition anchor = 0;
  TextPosition active = 0;  // where it was extended to; equal to anchor: a caret there

  bool Empty() const { return anchor == active; }
  TextPosition Start() const { return anchor < active ? anchor : active; }
  TextPosition End() const { return anchor < active ? active : anchor; }
  bool Holds(int32_t card) const { return card >= Start() && card < End(); }
  bool operator==(const CardSelection&) const = default;
};

// Where the arrow keys, Home and End (alone and with Ctrl), Page Up and Page Down lead.
enum class CardKey { kLeft, kRight, kUp, kDown, kRowStart, kRowEnd, kFirst, kLast, kPageUp, kPageDown };

// The card the keys move from and the view shows the focus on: the card at the active
// end, or for a caret the card before it (the first card for a caret at the start);
// -1 in an empty view.
int32_t FocusedCard(const CardSelection& selection, int32_t count);

// The selection a program asks for (EM_SETSEL), in the view's bounds; a negative end
// is the end of the view.
CardSelection Selecting(TextPosition from, TextPosition to, int32_t count);

// After a key; `pageHeight` is the view's height in pixels of its content.
CardSelection AfterKey(const CardSelection& now, CardKey key, bool extend,
                       const CardLayout& layout, int32_t pageHeight);

// After a press of the left button at a point of the content: the card there; beside
// every card, a caret at the nearest place between cards (with Shift, the run to it).
CardSelection AfterClick(const CardSelection& now, const CardLayout& layout, int32_t x,
                         int32_t y, bool extend);

}  // namespace td
