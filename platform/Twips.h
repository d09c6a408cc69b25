// Twips, the unit of every position and size the program gives (1/1440 inch), and the
// pixels of a screen of a given resolution: 15 twips a pixel at 96 DPI (100 %), 12 at
// 120, 10 at 144 and 7.5 at 192 (200 %). Both machines convert the same way.
#pragma once

#include <cmath>

namespace td {

inline constexpr double kTwipsPerInch = 1440;
inline constexpr int kStandardDpi = 96;  // 100 %
// An embedded picture's extent and a metafile's frame are in 0.01 mm.
inline constexpr int kExtentPerInch = 2540;

inline int TwipsToPixels(double twips, int dpi) {
  return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

inline double PixelsToTwips(int pixels, int dpi) { return pixels * kTwipsPerInch / dpi; }

}  // namespace td
