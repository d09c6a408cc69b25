// Plain text and pictures written into RTF, for ranges copied out of a rich-text view:
// whatever the letters, the result is 7-bit text whose braces and backslashes are all
// RTF's own.
#pragma once

#include <string>
#include <string_view>

namespace td {

// The bytes as lower-case hex digits, as a picture's data; a line break after every 64
// bytes keeps the lines short.
void AppendRtfHex(std::string& rtf, std::string_view bytes);

// One letter of UTF-16 text: a line end as a paragraph, "\", "{" and "}" escaped,
// printable ASCII as it is, and every other letter as a Unicode escape with "?" for
// readers that know none.
void AppendRtfLetter(std::string& rtf, char16_t letter);

// A copied range as a whole RTF document, its pieces added in order: letters, and
// pictures as JPEG files sized as the view shows them at 100 % (96 pixels to the inch).
class RtfDocument {
 public:
  RtfDocument();
  void AddLetter(char16_t letter) { AppendRtfLetter(rtf_, letter); }
  // One \pict group for a JPEG file of the extent `width` x `height` (0.01 mm); a
  // picture with no file adds nothing.
  void AddJpeg(std::string_view jpeg, long width, long height);
  // The document, closed.
  std::string Finish() &&;

 private:
  std::string rtf_;
};

}  // namespace td
