#include "platform/PackedDib.h"

#include <cstdint>

namespace td {
namespace {

// BITMAPINFOHEADER: its size, and where its fields lie (little-endian).
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kSizeAt = 0, kWidthAt = 4, kHeightAt = 8, kPlanesAt = 12, kBitCountAt = 14,
                      kCompressionAt = 16, kColoursUsedAt = 32;
constexpr uint32_t kUncompressed = 0;  // BI_RGB
constexpr uint32_t kBitFields = 3;     // BI_BITFIELDS
// Far beyond any card; a header that claims more is no picture of the program's.
constexpr int32_t kLargestSide = 0x7FFF;

uint32_t Unsigned(std::string_view bytes, std::size_t at, std::size_t length) {
  uint32_t value = 0;
  for (std::size_t i = length; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

int32_t Signed(std::string_view bytes, std::size_t at) {
  return static_cast<int32_t>(Unsigned(bytes, at, 4));
}

bool KnownBitCount(uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

std::size_t DibStride(int width, int bitsPerPixel) {
  return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32) * 4;
}

std::optional<DibShape> ReadPackedDib(std::string_view block) {
  if (block.size() < kInfoHeaderSize) return std::nullopt;
  const uint32_t headerSize = Unsigned(block, kSizeAt, 4);
  if (headerSize < kInfoHeaderSize || headerSize > block.size()) return std::nullopt;
  const int32_t width = Signed(block, kWidthAt);
  const int32_t height = Signed(block, kHeightAt);
  const uint32_t bits = Unsigned(block, kBitCountAt, 2);
  if (width <= 0 || width > kLargestSide || height == 0 || height < -kLargestSide ||
      height > kLargestSide || Unsigned(block, kPlanesAt, 2) != 1 || !KnownBitCount(bits)) {
    return std::nullopt;
  }
  const uint32_t compression = Unsigned(block, kCompressionAt, 4);
  const bool fields = compression == kBitFields;
  if (compression != kUncompressed && !(fields && (bits == 16 || bits == 32))) return std::nullopt;
  const uint32_t coloursUsed = Unsigned(block, kColoursUsedAt, 4);
  const std::size_t colours = coloursUsed != 0 ? coloursUsed : bits <= 8 ? (std::size_t{1} << bits) : 0;
  if (colours > 256) return std::nullopt;
  // Bit fields follow a plain BITMAPINFOHEADER; later headers hold them inside.
  const std::size_t masks = fields && headerSize == kInfoHeaderSize ? 12 : 0;
  DibShape dib;
  dib.width = width;
  dib.height = height < 0 ? -height : height;
  dib.topDown = height < 0;
  dib.pixelOffset = headerSize + masks + colours * 4;
  dib.stride = DibStride(width, static_cast<int>(bits));
  if (dib.pixelOffset > block.size() ||
      dib.stride * static_cast<std::size_t>(dib.height) > block.size() - dib.pixelOffset) {
    return std::nullopt;
  }
  return dib;
}

}  // namespace td
