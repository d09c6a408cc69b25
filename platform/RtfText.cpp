#include "platform/RtfText.h"

#include <cstdint>

namespace td {

void AppendRtfHex(std::string& rtf, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  rtf.reserve(rtf.size() + bytes.size() * 2 + bytes.size() / 64 + 1);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    rtf += kHex[byte >> 4];
    rtf += kHex[byte & 0x0F];
    if ((i & 63) == 63) rtf += '\n';
  }
}

void AppendRtfLetter(std::string& rtf, char16_t letter) {
  if (letter == u'\r' || letter == u'\n') {
    rtf += "\\par\n";
  } else if (letter == u'\\' || letter == u'{' || letter == u'}') {
    rtf += '\\';
    rtf += static_cast<char>(letter);
  } else if (letter >= 0x20 && letter < 0x80) {
    rtf += static_cast<char>(letter);
  } else {
    // RTF's \u takes a signed 16-bit number.
    rtf += "\\u" + std::to_string(static_cast<int16_t>(letter)) + "?";
  }
}

}  // namespace td
