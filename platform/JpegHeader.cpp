#include "platform/JpegHeader.h"

namespace td {
namespace {

unsigned ByteAt(std::string_view bytes, std::size_t i) {
  return static_cast<unsigned char>(bytes[i]);
}

unsigned WordAt(std::string_view bytes, std::size_t i) {
  return ByteAt(bytes, i) * 256u + ByteAt(bytes, i + 1);
}

// Start-of-frame markers: C0 to CF, less DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameMarker(unsigned marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

}  // namespace

std::optional<PictureSize> JpegFrameSize(std::string_view bytes) {
  if (bytes.size() < 4 || ByteAt(bytes, 0) != 0xFF || ByteAt(bytes, 1) != 0xD8) return std::nullopt;
  std::size_t at = 2;
  while (at + 4 <= bytes.size()) {
    if (ByteAt(bytes, at) != 0xFF) return std::nullopt;
    const unsigned marker = ByteAt(bytes, at + 1);
    if (marker == 0xFF) {  // a fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length follows
      at += 2;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return std::nullopt;  // the scan, or the end
    const std::size_t length = WordAt(bytes, at + 2);
    if (length < 2 || at + 2 + length > bytes.size()) return std::nullopt;
    if (IsFrameMarker(marker)) {
      // Precision, height, width and the number of components follow the length.
      if (length < 8) return std::nullopt;
      const PictureSize size{WordAt(bytes, at + 7), WordAt(bytes, at + 5)};
      if (size.width == 0 || size.height == 0 || ByteAt(bytes, at + 9) == 0) return std::nullopt;
      return size;
    }
    at += 2 + length;
  }
  return std::nullopt;
}

}  // namespace td
