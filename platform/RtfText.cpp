#include "platform/RtfText.h"

#include <cstdint>

#include "platform/Twips.h"

namespace td {
namespace {

constexpr int kWholeTwipsPerInch = static_cast<int>(kTwipsPerInch);

// An extent in units of which `perInch` make an inch, rounded half away from zero as
// MulDiv rounds.
std::string Scaled(long extent, int perInch) {
  const std::int64_t product = static_cast<std::int64_t>(extent) * perInch;
  const std::int64_t half = kExtentPerInch / 2;
  const std::int64_t scaled =
      product >= 0 ? (product + half) / kExtentPerInch : -((half - product) / kExtentPerInch);
  return std::to_string(scaled);
}

}  // namespace

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

RtfDocument::RtfDocument() : rtf_("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\n") {}

void RtfDocument::AddJpeg(std::string_view jpeg, long width, long height) {
  if (jpeg.empty()) return;
  rtf_ += "{\\pict\\jpegblip\\picw" + Scaled(width, kStandardDpi) + "\\pich" +
          Scaled(height, kStandardDpi) + "\\picwgoal" + Scaled(width, kWholeTwipsPerInch) +
          "\\pichgoal" + Scaled(height, kWholeTwipsPerInch) + "\n";
  AppendRtfHex(rtf_, jpeg);
  rtf_ += "}";
}

std::string RtfDocument::Finish() && {
  rtf_ += "}";
  return std::move(rtf_);
}

}  // namespace td
