// The size a JPEG file's frame header gives, read straight from the bytes.
#include <gtest/gtest.h>

#include "platform/JpegHeader.h"

namespace td {
namespace {

std::string Segment(unsigned marker, const std::string& body) {
  const std::size_t length = body.size() + 2;
  return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                     static_cast<char>(length & 0xFF)} + body;
}

// A baseline frame: precision 8, height, width, one component.
std::string Frame(unsigned width, unsigned height, unsigned marker = 0xC0) {
  const std::string body{8, static_cast<char>(height >> 8), static_cast<char>(height & 0xFF),
                         static_cast<char>(width >> 8), static_cast<char>(width & 0xFF), 1, 1, 0x11, 0};
  return Segment(marker, body);
}

const std::string kStart = "\xFF\xD8";
const std::string kScan = "\xFF\xDA";

TEST(JpegHeader, SizeOfTheFirstFrame) {
  // A Huffman table whose bytes would read as a frame of 2 x 4112 pixels.
  const std::string huffman = Segment(0xC4, std::string("\x08\x10\x10\x00\x02\x01\x01\x00", 8));
  const struct {
    const char* what;
    std::string bytes;
    std::optional<PictureSize> size;
  } rows[] = {
      {"a card of 480 x 640", kStart + Segment(0xE0, "JFIF") + Frame(480, 640) + kScan, PictureSize{480, 640}},
      {"a Huffman table before the frame", kStart + huffman + Frame(33, 17) + kScan, PictureSize{33, 17}},
      {"a progressive frame", kStart + Frame(7, 5, 0xC2), PictureSize{7, 5}},
      {"fill bytes and a restart marker", kStart + "\xFF\xFF\xD0" + Frame(2, 3), PictureSize{2, 3}},
      {"the scan before any frame", kStart + kScan + Frame(2, 3), std::nullopt},
      {"no JPEG at all", "GIF89a" + Frame(2, 3), std::nullopt},
      {"a frame of no width", kStart + Frame(0, 3), std::nullopt},
      {"a frame cut short", (kStart + Frame(2, 3)).substr(0, 10), std::nullopt},
  };
  for (const auto& row : rows) {
    const auto size = JpegFrameSize(row.bytes);
    ASSERT_EQ(size.has_value(), row.size.has_value()) << row.what;
    if (!size) continue;
    EXPECT_EQ(size->width, row.size->width) << row.what;
    EXPECT_EQ(size->height, row.size->height) << row.what;
  }
}

}  // namespace
}  // namespace td
