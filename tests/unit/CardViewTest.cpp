// The card view's portable parts: where its cards stand, and where keys and clicks take
// the user's selection.
#include <gtest/gtest.h>

#include <vector>

#include "platform/CardLayout.h"
#include "platform/CardSelection.h"

namespace td {
namespace {

// Six cards of mixed sizes at 100 %, in view order.
const std::vector<CardBox> kCards = {{0, 0, 147, 203}, {0, 0, 184, 256}, {0, 0, 221, 309},
                                     {0, 0, 258, 172}, {0, 0, 145, 225}, {0, 0, 182, 278}};

CardLayout Laid(int32_t width, int dpi) {
  CardLayout layout(width, dpi);
  for (const CardBox& card : kCards) layout.Add(card.width, card.height);
  return layout;
}

// Rows as the rich-text view laid these cards out, measured under Wine: a card wraps where
// it would pass the right margin, a row is as high as its tallest card, cards stand on
// its bottom, and at 144 DPI each side is its 0.01 mm at that resolution.
TEST(CardLayout, CardsStandAsTheRichTextViewPutThem) {
  const struct {
    int32_t width;
    int dpi;
    std::vector<CardBox> boxes;
    int32_t height;
  } rows[] = {
      {696, 96,
       {{1, 107, 147, 203}, {148, 54, 184, 256}, {332, 1, 221, 309}, {1, 416, 258, 172},
        {259, 363, 145, 225}, {404, 310, 182, 278}},
       588},
      {400, 96,
       {{1, 54, 147, 203}, {148, 1, 184, 256}, {1, 257, 221, 309}, {1, 566, 258, 172},
        {1, 791, 145, 225}, {146, 738, 182, 278}},
       1016},
      {1200, 144,
       {{1, 161, 220, 304}, {221, 81, 276, 384}, {497, 1, 331, 464}, {1, 624, 387, 258},
        {388, 545, 217, 337}, {605, 465, 273, 417}},
       882},
      {700, 144,
       {{1, 81, 220, 304}, {221, 1, 276, 384}, {1, 385, 331, 464}, {1, 928, 387, 258},
        {388, 849, 217, 337}, {1, 1186, 273, 417}},
       1603},
  };
  for (const auto& row : rows) {
    CardLayout layout = Laid(row.width, row.dpi);
    for (int pass = 0; pass < 2; ++pass) {  // as added, then laid out again
      for (int32_t card = 0; card < layout.Count(); ++card) {
        EXPECT_EQ(layout.Box(card), row.boxes[static_cast<size_t>(card)])
            << row.width << " at " << row.dpi << " DPI, card " << card << ", pass " << pass;
      }
      EXPECT_EQ(layout.Height(), row.height) << row.width << " at " << row.dpi;
      layout.Reflow(row.width == 400 ? 696 : 400, 96);
      layout.Reflow(row.width, row.dpi);
    }
  }
  CardLayout narrow(100, 96);
  narrow.Add(300, 50);
  narrow.Add(20, 20);
  EXPECT_EQ(narrow.Rows(), 2) << "a card wider than the view has a row of its own";
  CardLayout empty(500, 96);
  EXPECT_EQ(empty.Height(), CardLayout::kMargin);
  EXPECT_EQ(empty.RowAt(10), -1);
}

// The layout at 400 pixels and 96 DPI: rows [0 1] [2] [3] [4 5].
TEST(CardSelection, KeysAndClicksMoveItAsInAListOfIcons) {
  const CardLayout layout = Laid(400, 96);
  constexpr int32_t kPage = 530;
  const struct {
    CardSelection from;
    std::optional<CardKey> key;  // or a click at `at`
    bool shift;
    CardBox at;
    CardSelection to;
  } rows[] = {
      {{1, 1}, CardKey::kRight, false, {}, {1, 2}},  // from the caret behind the first card
      {{1, 1}, CardKey::kLeft, false, {}, {0, 1}},
      {{1, 2}, CardKey::kDown, false, {}, {2, 3}},
      {{3, 4}, CardKey::kDown, false, {}, {4, 5}},  // the card below the middle of the last
      {{5, 6}, CardKey::kUp, false, {}, {3, 4}},
      {{5, 6}, CardKey::kDown, false, {}, {5, 6}},  // nothing below the last row
      {{0, 1}, CardKey::kLeft, false, {}, {0, 1}},
      {{0, 1}, CardKey::kRight, true, {}, {0, 2}},
      {{0, 2}, CardKey::kDown, true, {}, {0, 3}},
      {{2, 3}, CardKey::kLeft, true, {}, {3, 1}},  // the card first selected stays selected
      {{3, 1}, CardKey::kRight, true, {}, {2, 3}},
      {{4, 5}, CardKey::kRowEnd, false, {}, {5, 6}},
      {{5, 6}, CardKey::kRowStart, false, {}, {4, 5}},
      {{3, 4}, CardKey::kFirst, false, {}, {0, 1}},
      {{1, 2}, CardKey::kLast, true, {}, {1, 6}},
      {{0, 1}, CardKey::kPageDown, false, {}, {2, 3}},
      {{5, 6}, CardKey::kPageUp, false, {}, {1, 2}},
      {{0, 0}, std::nullopt, false, {160, 100}, {1, 2}},  // a click on a card
      {{0, 0}, std::nullopt, false, {100, 20}, {1, 1}},   // above the first card: a caret
      {{0, 1}, std::nullopt, true, {50, 300}, {0, 3}},    // Shift and a click
      {{1, 1}, std::nullopt, true, {50, 300}, {0, 3}},    // from the caret's card
      {{2, 3}, std::nullopt, false, {50, 2000}, {6, 6}},  // below every card
  };
  for (const auto& row : rows) {
    const CardSelection got = row.key ? AfterKey(row.from, *row.key, row.shift, layout, kPage)
                                      : AfterClick(row.from, layout, row.at.x, row.at.y, row.shift);
    EXPECT_EQ(got, row.to) << "from {" << row.from.anchor << "," << row.from.active << "} key "
                           << (row.key ? static_cast<int>(*row.key) : -1) << " shift " << row.shift;
  }
  EXPECT_EQ(AfterKey({}, CardKey::kRight, false, CardLayout(400, 96), kPage), (CardSelection{}))
      << "an empty view";
  EXPECT_EQ(Selecting(0, -1, 6), (CardSelection{0, 6}));
  EXPECT_EQ(Selecting(4, 99, 6), (CardSelection{4, 6}));
  EXPECT_EQ(FocusedCard({6, 6}, 6), 5);
  EXPECT_EQ(FocusedCard({0, 0}, 0), -1);
}

}  // namespace
}  // namespace td
