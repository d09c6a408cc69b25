#include "platform/CardLayout.h"

#include <algorithm>

#include "platform/Twips.h"

namespace td {
namespace {

// a * b / c rounded half away from zero, for the positive sizes of cards.
int32_t MulDivRounded(int64_t a, int64_t b, int64_t c) {
  return static_cast<int32_t>((2 * a * b + c) / (2 * c));
}

}  // namespace

int32_t CardPixels(int32_t pixels, int dpi) {
  const int32_t extent = MulDivRounded(pixels, kExtentPerInch, kStandardDpi);
  return MulDivRounded(extent, dpi, kExtentPerInch);
}

CardLayout::CardLayout(int32_t clientWidth, int dpi) : clientWidth_(clientWidth), dpi_(dpi) {}

void CardLayout::Reflow(int32_t clientWidth, int dpi) {
  clientWidth_ = clientWidth;
  dpi_ = dpi;
  rows_.clear();
  for (Card& card : cards_) Place(card);
}

void CardLayout::Add(int32_t widthAt100, int32_t heightAt100) {
  cards_.push_back({widthAt100, heightAt100, 0, 0, 0, 0});
  Place(cards_.back());
}

void CardLayout::Clear() {
  cards_.clear();
  rows_.clear();
}

// Behind the last card placed, or at the start of a new row where it would pass the
// right margin; a card wider than the view has a row of its own.
void CardLayout::Place(Card& card) {
  card.width = CardPixels(card.widthAt100, dpi_);
  card.height = CardPixels(card.heightAt100, dpi_);
  const auto index = static_cast<int32_t>(&card - cards_.data());
  if (!rows_.empty()) {
    const Card& before = cards_[static_cast<size_t>(index - 1)];
    const int32_t x = before.x + before.width;
    if (x + card.width <= clientWidth_ - kMargin) {
      card.x = x;
      card.row = Rows() - 1;
      rows_.back().height = std::max(rows_.back().height, card.height);
      return;
    }
  }
  rows_.push_back({index, Height(), card.height});
  card.x = kMargin;
  card.row = Rows() - 1;
}

CardBox CardLayout::Box(int32_t card) const {
  const Card& c = cards_[static_cast<size_t>(card)];
  const Row& row = rows_[static_cast<size_t>(c.row)];
  return {c.x, row.top + row.height - c.height, c.width, c.height};
}

int32_t CardLayout::Height() const {
  return rows_.empty() ? kMargin : rows_.back().top + rows_.back().height;
}

int32_t CardLayout::EndOfRow(int32_t row) const {
  return row + 1 < Rows() ? FirstOfRow(row + 1) : Count();
}

int32_t CardLayout::RowAt(int32_t y) const {
  if (rows_.empty()) return -1;
  const auto after = std::upper_bound(rows_.begin(), rows_.end(), y,
                                      [](int32_t at, const Row& row) { return at < row.top; });
  return after == rows_.begin() ? 0 : static_cast<int32_t>(after - rows_.begin()) - 1;
}

std::optional<int32_t> CardLayout::CardAt(int32_t x, int32_t y) const {
  const int32_t row = RowAt(y);
  if (row < 0) return std::nullopt;
  for (int32_t card = FirstOfRow(row); card < EndOfRow(row); ++card) {
    const CardBox box = Box(card);
    if (x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height) return card;
  }
  return std::nullopt;
}

int32_t CardLayout::NearestInRow(int32_t row, int32_t x) const {
  int32_t nearest = FirstOfRow(row);
  int32_t distance = INT32_MAX;
  for (int32_t card = FirstOfRow(row); card < EndOfRow(row); ++card) {
    const CardBox box = Box(card);
    const int32_t away = x < box.x ? box.x - x : (x >= box.x + box.width ? x - box.x - box.width + 1 : 0);
    if (away < distance) {
      nearest = card;
      distance = away;
    }
  }
  return nearest;
}

int32_t CardLayout::PlaceAt(int32_t x, int32_t y) const {
  if (rows_.empty()) return 0;
  if (y >= Height()) return Count();
  const int32_t row = RowAt(y);
  for (int32_t card = FirstOfRow(row); card < EndOfRow(row); ++card) {
    const CardBox box = Box(card);
    if (x < box.x + box.width / 2) return card;
  }
  return EndOfRow(row);
}

}  // namespace td
