// The simulated machine's text conversions, held to what Windows does: it takes exactly
// the well-formed UTF-8 (no overlong form, no surrogate, nothing beyond U+10FFFF), and
// its 8-bit code pages give every byte back.
#include <functional>

#include "FuzzTarget.h"
#include "platform/RunError.h"
#include "platform/sim/CodePages.h"

using td::fuzz::Require;

namespace {

// Well-formed byte sequences as the Unicode standard tabulates them, written here on
// their own: the second byte's range depends on the first.
bool WellFormedUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned lead = b(0);
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;
    if (lead < 0x80) length = 1;
    else if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
    else return false;
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned lowHere = k == 1 ? low : 0x80, highHere = k == 1 ? high : 0xBF;
      if (b(k) < lowHere || b(k) > highHere) return false;
    }
    i += length;
  }
  return true;
}

bool Refused(const std::function<void()>& convert) {
  try {
    convert();
  } catch (const td::RunError& error) {
    Require(error.Number() == td::err::kInvalidCall, "refused with error 5");
    return true;
  }
  return false;
}

}  // namespace

TD_FUZZ_TARGET {
  const std::string_view bytes = td::fuzz::Bytes(data, size);
  const bool wellFormed = WellFormedUtf8(bytes);
  Require(td::sim::IsUtf8(bytes) == wellFormed, "exactly the well-formed UTF-8 is text");
  Require(Refused([&] { td::sim::Utf8ToCp1252(bytes); }) == !wellFormed, "ANSI refuses the rest");
  Require(Refused([&] { td::sim::Utf8ToCp437(bytes); }) == !wellFormed, "OEM refuses the rest");
  const std::string oem = td::sim::Cp437ToUtf8(bytes);
  const std::string ansi = td::sim::Cp1252ToUtf8(bytes);
  Require(WellFormedUtf8(oem) && WellFormedUtf8(ansi), "decoded text is UTF-8");
  Require(td::sim::Utf8ToCp437(oem) == bytes, "every console byte comes back");
  Require(td::sim::Utf8ToCp1252(ansi) == bytes, "every ANSI byte comes back");
  return 0;
}
