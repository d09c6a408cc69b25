// The size a JPEG file's frame header gives, read without decoding anything. Both
// machines read pictures' sizes this way: a card's header must be sound before the card
// is kept, and decoding it only to learn its size would cost as much as drawing it.
#pragma once

#include <optional>
#include <string_view>

namespace td {

struct PictureSize {
  unsigned width = 0;
  unsigned height = 0;
};

// The width and height of the first frame of a JPEG file; nothing when the bytes are no
// JPEG file, or its markers end, break off or give no frame before the scan begins.
std::optional<PictureSize> JpegFrameSize(std::string_view bytes);

}  // namespace td
