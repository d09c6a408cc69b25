#include "platform/CardSelection.h"

#include <algorithm>

namespace td {
namespace {

// The selection of the cards from `anchorCard` to `card`, both included, that way round.
CardSelection Run(int32_t anchorCard, int32_t card) {
  return card >= anchorCard ? CardSelection{anchorCard, card + 1}
                            : CardSelection{anchorCard + 1, card};
}

// The card a run extended from `now` starts at: its first card selected, or the focus.
int32_t AnchorCard(const CardSelection& now, int32_t count) {
  if (now.Empty()) return FocusedCard(now, count);
  return now.active > now.anchor ? now.anchor : now.anchor - 1;
}

CardSelection MoveTo(const CardSelection& now, int32_t card, bool extend, int32_t count) {
  card = std::clamp(card, 0, count - 1);
  return Run(extend ? AnchorCard(now, count) : card, card);
}

// The card of the row `rows` away from the focus's that lies nearest below or above it.
int32_t InRowAway(const CardLayout& layout, int32_t focus, int32_t rows) {
  const CardBox box = layout.Box(focus);
  const int32_t row = std::clamp(layout.RowOf(focus) + rows, 0, layout.Rows() - 1);
  return layout.NearestInRow(row, box.x + box.width / 2);
}

// The card a page below (or above) the focus's row, nearest below or above it.
int32_t PageAway(const CardLayout& layout, int32_t focus, int32_t pageHeight) {
  const CardBox box = layout.Box(focus);
  const int32_t row = layout.RowAt(layout.RowTop(layout.RowOf(focus)) + pageHeight);
  return layout.NearestInRow(row, box.x + box.width / 2);
}

}  // namespace

int32_t FocusedCard(const CardSelection& selection, int32_t count) {
  if (count <= 0) return -1;
  const int32_t card = selection.active > selection.anchor || selection.Empty()
                           ? selection.active - 1
                           : selection.active;
  return std::clamp(card, 0, count - 1);
}

CardSelection Selecting(TextPosition from, TextPosition to, int32_t count) {
  const auto bound = [count](TextPosition at) { return at < 0 ? count : std::min(at, count); };
  return {bound(from), bound(to)};
}

CardSelection AfterKey(const CardSelection& now, CardKey key, bool extend,
                       const CardLayout& layout, int32_t pageHeight) {
  const int32_t count = layout.Count();
  if (count == 0) return {};
  const int32_t focus = FocusedCard(now, count);
  const int32_t row = layout.RowOf(focus);
  int32_t to = focus;
  switch (key) {
    case CardKey::kLeft: to = focus - 1; break;
    case CardKey::kRight: to = focus + 1; break;
    case CardKey::kUp: to = InRowAway(layout, focus, -1); break;
    case CardKey::kDown: to = InRowAway(layout, focus, 1); break;
    case CardKey::kRowStart: to = layout.FirstOfRow(row); break;
    case CardKey::kRowEnd: to = layout.EndOfRow(row) - 1; break;
    case CardKey::kFirst: to = 0; break;
    case CardKey::kLast: to = count - 1; break;
    case CardKey::kPageUp: to = PageAway(layout, focus, -pageHeight); break;
    case CardKey::kPageDown: to = PageAway(layout, focus, pageHeight); break;
  }
  return MoveTo(now, to, extend, count);
}

CardSelection AfterClick(const CardSelection& now, const CardLayout& layout, int32_t x,
                         int32_t y, bool extend) {
  const int32_t count = layout.Count();
  if (const auto card = layout.CardAt(x, y)) return MoveTo(now, *card, extend, count);
  const TextPosition place = layout.PlaceAt(x, y);
  return {extend ? now.anchor : place, place};
}

}  // namespace td
