// A listing's pattern and a name: the match must come at once whatever their length,
// and letters match without regard to case.
#include "FuzzTarget.h"
#include "platform/AsciiCase.h"
#include "platform/Wildcard.h"

using td::fuzz::Require;

TD_FUZZ_TARGET {
  const std::vector<std::string> fields = td::fuzz::Fields(td::fuzz::Bytes(data, size), 2);
  const std::string& pattern = fields[0];
  const std::string& name = fields[1];
  std::string upper = name;
  for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  Require(td::MatchesWildcard(pattern, name) == td::MatchesWildcard(pattern, upper),
          "letter case does not count");
  Require(td::MatchesWildcard("*", name), "\"*\" takes every name");
  if (name.find_first_of("*?") == std::string::npos) {
    Require(td::MatchesWildcard(name, td::LowerAscii(name)), "a name without wildcards takes itself");
  }
  return 0;
}
