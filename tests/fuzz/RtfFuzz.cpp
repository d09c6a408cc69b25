// The picture bytes of a copied range, written as RTF: the hex must give the bytes back,
// and the whole document must be 7-bit text of one group whose braces are all RTF's own.
#include "FuzzTarget.h"
#include "platform/RtfText.h"

using td::fuzz::Require;

namespace {

void CheckHex(std::string_view bytes) {
  std::string rtf;
  td::AppendRtfHex(rtf, bytes);
  std::string back;
  int digits = 0;
  unsigned value = 0;
  for (const char c : rtf) {
    if (c == '\n') continue;
    Require((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'), "hex digits and line breaks only");
    value = value << 4 | static_cast<unsigned>(c <= '9' ? c - '0' : c - 'a' + 10);
    if (++digits % 2 == 0) back += static_cast<char>(value & 0xFF);
  }
  Require(back == bytes, "the hex gives the bytes back");
}

// The whole document of a copied range: 7-bit text, one group whose braces balance and
// close only at its end, whatever its pictures: pieces of the bytes, each with an extent
// taken from its first byte.
void CheckDocument(std::string_view bytes) {
  td::RtfDocument document;
  for (std::size_t i = 0; i < bytes.size(); i += 16) {
    const std::string_view file = bytes.substr(i, 16);
    const long extent = static_cast<signed char>(file[0]) * 100000L;
    document.AddJpeg(file, extent, -extent);
  }
  const std::string rtf = std::move(document).Finish();
  int depth = 0;
  for (std::size_t i = 0; i < rtf.size(); ++i) {
    const auto c = static_cast<unsigned char>(rtf[i]);
    Require(c == '\n' || (c >= 0x20 && c < 0x80), "7-bit text");
    if (c == '\\') {
      ++i;  // an escaped character or a control word's first letter
      continue;
    }
    depth += c == '{' ? 1 : c == '}' ? -1 : 0;
    Require(depth > 0 || i + 1 == rtf.size(), "one group, closed at its end");
  }
  Require(depth == 0, "every brace closed");
}

}  // namespace

TD_FUZZ_TARGET {
  const std::string_view bytes = td::fuzz::Bytes(data, size);
  CheckHex(bytes);
  CheckDocument(bytes);
  return 0;
}
