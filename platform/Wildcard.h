// The wildcard rule of the Windows directory search, for both platforms: Windows
// matches names this way, Wine does not quite (it lets no "?" match nothing).
#pragma once

#include <string>

namespace td {

// True when `name` matches `pattern`: "*" stands for any run of characters, "?" for one
// character, and a run of "?" at the end of the pattern or before a dot may also stand
// for fewer characters, but never for a dot ("a????" takes "a0001", "A12" and "a", not
// "a0001.jpg"). "*.*" takes every name; letters match without regard to case (ASCII).
bool MatchesWildcard(const std::string& pattern, const std::string& name);

}  // namespace td
