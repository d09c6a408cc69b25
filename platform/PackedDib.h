// The checks a packed DIB (a bitmap's info header, its colour masks and table, then its
// rows, in one block) must pass before a pixel of it is read: one may come from another
// program, and its header may claim anything.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace td {

// Where the parts of a sound packed DIB lie.
struct DibShape {
  int width = 0;
  int height = 0;  // rows, whichever way they run
  bool topDown = false;
  std::size_t pixelOffset = 0;  // from the start of the block
  std::size_t stride = 0;       // bytes a row
};

// Bytes a row of `width` pixels takes: rows are padded to whole 32-bit words.
std::size_t DibStride(int width, int bitsPerPixel);

// The shape of the packed DIB in `block`; nothing unless it is sound: a header the
// program knows (BITMAPINFOHEADER or a later one), a positive width and a height of at
// most 32,767, one plane, a bit count of 1, 4, 8, 16, 24 or 32, no compression (or bit
// fields for 16 and 32 bits), a colour table of at most 256 entries, and every row
// inside the block.
std::optional<DibShape> ReadPackedDib(std::string_view block);

}  // namespace td
