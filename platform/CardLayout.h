// Where the card view puts its cards, in pixels of its content at its resolution: side by
// side from the left, each row as high as its tallest card with the cards standing on
// the row's bottom, the next row where a card would pass the right edge. A card keeps
// its size at 100 % (96 pixels to the inch) on every monitor: at 150 % it is half as
// large again in pixels, counted by way of 0.01 mm as the rich-text control the view
// replaces counted it, so that every card stands where it always stood.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace td {

// A card's place and size in the view's content, pixels.
struct CardBox {
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool operator==(const CardBox&) const = default;
};

// Pixels at `dpi` of a card's side of `pixels` at 100 %.
int32_t CardPixels(int32_t pixels, int dpi);

class CardLayout {
 public:
  // Between the view's edges and its cards, at every resolution: left, top and right.
  static constexpr int32_t kMargin = 1;

  CardLayout(int32_t clientWidth, int dpi);

  // Lays the cards out again for another width of the view or another resolution.
  void Reflow(int32_t clientWidth, int dpi);
  // Adds a card at the end: only the last row changes.
  void Add(int32_t widthAt100, int32_t heightAt100);
  void Clear();

  int32_t Count() const { return static_cast<int32_t>(cards_.size()); }
  CardBox Box(int32_t card) const;
  // The content's height: the top margin and every row; nothing below the last row.
  int32_t Height() const;
  int32_t Rows() const { return static_cast<int32_t>(rows_.size()); }
  int32_t RowOf(int32_t card) const { return cards_[static_cast<size_t>(card)].row; }
  int32_t RowTop(int32_t row) const { return rows_[static_cast<size_t>(row)].top; }
  int32_t RowHeight(int32_t row) const { return rows_[static_cast<size_t>(row)].height; }
  int32_t FirstOfRow(int32_t row) const { return rows_[static_cast<size_t>(row)].first; }
  // One past the row's last card.
  int32_t EndOfRow(int32_t row) const;
  // The row that spans content line `y`: the first above the content, the last below it;
  // -1 when there is none.
  int32_t RowAt(int32_t y) const;
  // The card whose box holds the point, if one does.
  std::optional<int32_t> CardAt(int32_t x, int32_t y) const;
  // In `row`, the card whose span is nearest `x`.
  int32_t NearestInRow(int32_t row, int32_t x) const;
  // The place between cards nearest the point, 0 to Count(): before the card whose
  // middle lies right of `x` in the row at `y`, or behind the row's last.
  int32_t PlaceAt(int32_t x, int32_t y) const;

 private:
  struct Card {
    int32_t widthAt100, heightAt100;
    int32_t x, width, height, row;
  };
  struct Row {
    int32_t first, top, height;
  };
  void Place(Card& card);

  int32_t clientWidth_;
  int dpi_;
  std::vector<Card> cards_;
  std::vector<Row> rows_;
};

}  // namespace td
