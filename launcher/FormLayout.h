// The layout rules the card viewer and the help window share: a smallest size the user
// cannot go below, and a rich-text view that fills the window but for a margin.
#pragma once

#include "platform/Platform.h"

namespace td {

// Sets a window that the user made too small back to the smallest size, one side at a
// time; each correction raises a resize of its own, which finds the minimum met.
inline void KeepMinimumSize(Window& window, double minWidth, double minHeight) {
  Bounds b = window.GetBounds();
  if (b.width < minWidth) window.SetBounds({b.left, b.top, minWidth, b.height});
  b = window.GetBounds();
  if (b.height < minHeight) window.SetBounds({b.left, b.top, b.width, minHeight});
}

// The view's place in a window of the given outer size: 30 twips in from the left, from
// the top down, 150 twips narrower and 490 twips lower than the window.
inline Bounds ViewBounds(const Bounds& window) {
  return {30, 0, window.width - 150, window.height - 490};
}

}  // namespace td
