// Text and picture bytes of a copied range, written as RTF: the result must be 7-bit
// text in which every brace and backslash is RTF's own, the hex must give the bytes
// back, and the whole document must be one group.
#include "FuzzTarget.h"
#include "platform/RtfText.h"

using td::fuzz::Require;

namespace {

void CheckLetters(std::string_view bytes) {
  std::string rtf;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    td::AppendRtfLetter(rtf, static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                   static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  for (std::size_t i = 0; i < rtf.size(); ++i) {
    const auto c = static_cast<unsigned char>(rtf[i]);
    Require(c == '\n' || (c >= 0x20 && c < 0x80), "7-bit text");
    Require(c != '{' && c != '}', "no brace of the text's own");
    if (c == '\\') ++i;  // an escaped character or a control word's first letter
  }
}

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
// close only at its end, whatever its letters and pictures. A NUL letter stands for a
// picture, its file and extent taken from the bytes that follow.
void CheckDocument(std::string_view bytes) {
  td::RtfDocument document;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto letter = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (letter != 0) {
      document.AddLetter(letter);
      continue;
    }
    const std::string_view file = bytes.substr(i + 2, 16);
    const long extent = file.empty() ? 0 : static_cast<signed char>(file[0]) * 100000L;
    document.AddJpeg(file, extent, -extent);
    i += file.size();
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
  CheckLetters(bytes);
  CheckHex(bytes);
  CheckDocument(bytes);
  return 0;
}
