#include "platform/RtfText.h"

#include <cstdint>
#include <string>

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
