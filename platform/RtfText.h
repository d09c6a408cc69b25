// Pictures written into RTF, for a range of cards copied out of the card view: whatever
// the pictures' bytes, the result is 7-bit text whose braces and backslashes are all RTF's
// own.
#pragma once

#include <string>
#include <string_view>

namespace td {

// The bytes as lower-case hex digits, as a picture's data; a line break after every 64
// bytes keeps the lines short.
void AppendRtfHex(std::string& rtf, std::string_view bytes);

// A copied range as a whole RTF document, its pictures added in order as JPEG files sized
// as the view shows them at 100 % (96 pixels to the inch).
class RtfDocument {
 public:
  RtfDocument();
  // One \pict group for a JPEG file of the extent `width` x `height` (0.01 mm); a
  // picture with no file adds nothing.
  void AddJpeg(std::string_view jpeg, long width, long height);
  // The document, closed.
  std::string Finish() &&;

 private:
  std::string rtf_;
};

}  // namespace td
