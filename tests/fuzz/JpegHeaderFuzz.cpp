// A card picture's header, as any file named like a card may hold it.
#include "FuzzTarget.h"
#include "platform/JpegHeader.h"

TD_FUZZ_TARGET {
  const auto size_ = td::JpegFrameSize(td::fuzz::Bytes(data, size));
  td::fuzz::Require(!size_ || (size_->width > 0 && size_->height > 0), "a size is never 0");
  return 0;
}
