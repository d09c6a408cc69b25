// A packed DIB as another program may put it on the clipboard: every row the checks
// accept is read, as drawing or encoding it would.
#include "FuzzTarget.h"
#include "platform/PackedDib.h"

TD_FUZZ_TARGET {
  const std::string_view block = td::fuzz::Bytes(data, size);
  const auto dib = td::ReadPackedDib(block);
  if (!dib) return 0;
  td::fuzz::Require(dib->width > 0 && dib->height > 0 && dib->stride > 0, "a sound shape");
  unsigned sum = 0;
  for (int row = 0; row < dib->height; ++row) {
    const std::size_t at = dib->pixelOffset + dib->stride * static_cast<std::size_t>(row);
    sum += data[at] + data[at + dib->stride - 1];
  }
  volatile unsigned read = sum;  // the rows are read, not optimised away
  (void)read;
  return 0;
}
