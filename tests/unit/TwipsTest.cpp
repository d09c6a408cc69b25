// Twips and pixels at the resolutions screens run at: 100 %, 125 %, 150 % and 200 %.
#include <gtest/gtest.h>

#include "platform/Twips.h"

namespace td {
namespace {

TEST(Twips, ConvertAtTheScreensResolution) {
  struct Row {
    int dpi;
    double twipsPerPixel;
    int viewerPixels;  // the card viewer's 10900 twips
  };
  for (const Row row : {Row{96, 15, 727}, Row{120, 12, 908}, Row{144, 10, 1090},
                        Row{192, 7.5, 1453}}) {
    EXPECT_EQ(PixelsToTwips(1, row.dpi), row.twipsPerPixel) << row.dpi;
    EXPECT_EQ(TwipsToPixels(10900, row.dpi), row.viewerPixels) << row.dpi;
    EXPECT_EQ(TwipsToPixels(PixelsToTwips(row.viewerPixels, row.dpi), row.dpi), row.viewerPixels)
        << row.dpi << ": there and back";
    EXPECT_EQ(TwipsToPixels(1440, row.dpi), row.dpi) << "an inch is the resolution's pixels";
  }
}

}  // namespace
}  // namespace td
