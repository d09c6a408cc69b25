#include "platform/Wildcard.h"

#include <cstddef>
#include <vector>

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

// Which pattern positions may stand at one place in the name. Every position is tried
// once per character: the time grows with the name's length times the pattern's, never
// with the number of ways the "*" could split the name.
using Positions = std::vector<char>;

// Adds the positions reached by matching nothing: past a "*" or a trailing "?".
void AddEmptyMatches(const std::string& pattern, Positions& at) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const bool mayBeEmpty = pattern[i] == '*' || (pattern[i] == '?' && IsTrailingQuestionMark(pattern, i));
    if (at[i] && mayBeEmpty) at[i + 1] = 1;
  }
}

Positions Step(const std::string& pattern, const Positions& at, char letter) {
  Positions next(at.size(), 0);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (!at[i]) continue;
    const char c = pattern[i];
    if (c == '*') {
      next[i] = 1;
    } else if (c == '?') {
      if (letter != '.' || !IsTrailingQuestionMark(pattern, i)) next[i + 1] = 1;
    } else if (LowerAscii(c) == LowerAscii(letter)) {
      next[i + 1] = 1;
    }
  }
  AddEmptyMatches(pattern, next);
  return next;
}

}  // namespace

bool MatchesWildcard(const std::string& pattern, const std::string& name) {
  Positions at(pattern.size() + 1, 0);
  at[0] = 1;
  AddEmptyMatches(pattern, at);
  for (const char letter : name) at = Step(pattern, at, letter);
  if (at[pattern.size()]) return true;
  // A dot at the end of the name's match stands for the end of a name without one.
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (at[i] && pattern[i] == '.' && OnlyWildcardsFrom(pattern, i)) return true;
  }
  return false;
}

}  // namespace td
