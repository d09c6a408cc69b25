#include "platform/sim/CodePages.h"

#include <array>
#include <cstdint>

#include "platform/RunError.h"

namespace td::sim {

namespace {

using HighHalf = std::array<char32_t, 128>;

// Bytes 0x80..0xFF of code page 437.
constexpr HighHalf kCp437 = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 0x20A7, 0x192,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0x2310, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x3B1, 0xDF, 0x393, 0x3C0, 0x3A3, 0x3C3, 0xB5, 0x3C4, 0x3A6, 0x398, 0x3A9, 0x3B4, 0x221E, 0x3C6,
    0x3B5, 0x2229, 0x2261, 0xB1, 0x2265, 0x2264, 0x2320, 0x2321, 0xF7, 0x2248, 0xB0, 0x2219, 0xB7,
    0x221A, 0x207F, 0xB2, 0x25A0, 0xA0};

// Bytes 0x80..0xFF of code page 1252. Its five unassigned bytes stand for the control
// characters of the same number, as Windows maps them.
constexpr HighHalf MakeCp1252() {
  HighHalf table{};
  constexpr char32_t kC1[32] = {0x20AC, 0x81, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x2C6, 0x2030, 0x160, 0x2039, 0x152, 0x8D, 0x17D, 0x8F,
                                0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x2DC, 0x2122, 0x161, 0x203A, 0x153, 0x9D, 0x17E, 0x178};
  for (int i = 0; i < 32; ++i) table[static_cast<std::size_t>(i)] = kC1[i];
  for (int i = 32; i < 128; ++i) table[static_cast<std::size_t>(i)] = static_cast<char32_t>(0x80 + i);
  return table;
}
constexpr HighHalf kCp1252 = MakeCp1252();

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at i (advancing i); malformed text is refused, as the
// Windows conversion refuses it.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const RunError malformed(err::kInvalidCall);
  const auto lead = static_cast<unsigned char>(s[i++]);
  if (lead < 0x80) return lead;
  const int extra = lead >= 0xF8 ? -1 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
  if (extra < 0) throw malformed;
  char32_t c = lead & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) throw malformed;
    c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  // A longer form than the letter needs ("\xE0\x81\x9C" for "\\") would slip a letter
  // past every check made on the bytes; no UTF-16 text holds a lone surrogate or a letter
  // beyond U+10FFFF. Windows refuses all three.
  constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
  if (c < kShortest[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) throw malformed;
  return c;
}

std::string Decode(std::string_view bytes, const HighHalf& table) {
  std::string out;
  for (const char b : bytes) {
    const auto byte = static_cast<unsigned char>(b);
    const char32_t c = byte < 0x80 ? byte : table[byte - 0x80u];
    AppendUtf8(out, c);
  }
  return out;
}

std::string Encode(std::string_view utf8, const HighHalf& table) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t c = NextCodePoint(utf8, i);
    char byte = '?';
    if (c < 0x80) {
      byte = static_cast<char>(c);
    } else {
      for (std::size_t k = 0; k < table.size(); ++k) {
        if (table[k] == c) byte = static_cast<char>(0x80 + k);
      }
    }
    out += byte;
  }
  return out;
}

}  // namespace

std::string Cp437ToUtf8(std::string_view bytes) { return Decode(bytes, kCp437); }
std::string Utf8ToCp437(std::string_view utf8) { return Encode(utf8, kCp437); }
std::string Cp1252ToUtf8(std::string_view bytes) { return Decode(bytes, kCp1252); }
void CheckUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) NextCodePoint(text, i);
}
bool IsUtf8(std::string_view text) {
  try {
    CheckUtf8(text);
    return true;
  } catch (const RunError&) {
    return false;
  }
}
std::string Utf8ToCp1252(std::string_view utf8) { return Encode(utf8, kCp1252); }

}  // namespace td::sim
