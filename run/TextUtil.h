// Small text helpers shared by the run's steps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace td {

// Removes leading and trailing blanks (spaces only, not tabs).
inline std::string TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

inline std::string TrimTrailingSpaces(std::string_view text) {
  const auto last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

// The part after the last "\"; the whole text when it has none, "" when it ends in one.
inline std::string AfterLastBackslash(std::string_view path) {
  const auto slash = path.rfind('\\');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// A full path with a drive ("D:\...") or a network share ("\\server\...").
inline bool IsAbsolutePath(std::string_view path) {
  const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
  return drive || path.substr(0, 2) == "\\\\";
}

// A character no Windows name may hold: a quote, a wildcard, "<", ">", "|", a control
// character, a ":" past the drive. A path with one names nothing the program may use,
// even where a ".." after it would cancel that name out; in a command line its quote
// would end the path early.
inline bool HoldsNoNameCharacter(std::string_view path) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (c < 0x20 || std::string_view("\"*?<>|").find(static_cast<char>(c)) != std::string_view::npos ||
        (c == ':' && i != 1)) {
      return true;
    }
  }
  return false;
}

// Splits 8-bit text into lines the way the program reads text files: CR LF or a lone
// CR ends a line; a lone LF does not (it stays part of the line). A terminator at the
// very end does not start another line.
inline std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r') continue;
    lines.emplace_back(bytes.substr(start, i - start));
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

}  // namespace td
