#include "platform/Wildcard.h"

#include <cstddef>

#include "platform/AsciiCase.h"

namespace td {
namespace {

// Only wildcards (and dots) left: they may match the end of a name.
bool OnlyWildcardsFrom(const std::string& pattern, std::size_t i) {
  return pattern.find_first_not_of("*?.", i) == std::string::npos;
}

// A "?" in a run that ends the pattern or stands before a dot may also match nothing.
bool IsTrailingQuestionMark(const std::string& pattern, std::size_t i) {
  const std::size_t next = pattern.find_first_not_of('?', i);
  return next == std::string::npos || pattern[next] == '.';
}

bool Match(const std::string& p, std::size_t i, const std::string& n, std::size_t j) {
  if (i == p.size()) return j == n.size();
  const char c = p[i];
  if (c == '*') {
    for (std::size_t k = j; k <= n.size(); ++k) {
      if (Match(p, i + 1, n, k)) return true;
    }
    return false;
  }
  if (c == '?') {
    if (IsTrailingQuestionMark(p, i)) {
      if (j < n.size() && n[j] != '.' && Match(p, i + 1, n, j + 1)) return true;
      return Match(p, i + 1, n, j);
    }
    return j < n.size() && Match(p, i + 1, n, j + 1);
  }
  if (c == '.' && j == n.size()) return OnlyWildcardsFrom(p, i);
  return j < n.size() && LowerAscii(c) == LowerAscii(n[j]) && Match(p, i + 1, n, j + 1);
}

}  // namespace

bool MatchesWildcard(const std::string& pattern, const std::string& name) {
  return Match(pattern, 0, name, 0);
}

}  // namespace td
