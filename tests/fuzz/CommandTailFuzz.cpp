// The command tail, as a shortcut, a typed line or a dropped folder hands it over.
#include "FuzzTarget.h"
#include "launcher/CommandLine.h"

using td::fuzz::Require;

TD_FUZZ_TARGET {
  const std::string_view tail = td::fuzz::Bytes(data, size);
  for (const int maxArgs : {0, 1, 10}) {
    const std::vector<std::string> args = td::SplitCommandTail(tail, '"', maxArgs);
    Require(!args.empty() && args[0].empty(), "element 0 is there and empty");
    Require(args.size() <= static_cast<std::size_t>(maxArgs) + 1, "at most maxArgs arguments");
    for (std::size_t i = 1; i < args.size(); ++i) {
      Require(!args[i].empty(), "no empty argument");
      Require(args[i].find('"') == std::string::npos, "quotes never reach an argument");
    }
  }
  return 0;
}
