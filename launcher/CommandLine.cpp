#include "launcher/CommandLine.h"

#include "launcher/fTumbledeck.h"

namespace td {

std::vector<std::string> SplitCommandTail(std::string_view tail, char quote, int maxArgs) {
  if (maxArgs < 0) throw RunError(err::kSubscriptOutOfRange);
  std::vector<std::string> args(static_cast<std::size_t>(maxArgs) + 1);
  bool inQuotes = false;
  bool inArgument = false;
  std::size_t argCount = 0;
  for (const char ch : tail) {
    if (ch == quote) {
      inQuotes = !inQuotes;
      continue;
    }
    if (!inQuotes && (ch == '/' || ch == '\t')) {
      inArgument = false;
      continue;
    }
    if (!inArgument) {
      if (argCount == static_cast<std::size_t>(maxArgs)) break;
      ++argCount;
      inArgument = true;
    }
    args[argCount] += ch;
  }
  args.resize(argCount + 1);
  return args;
}

std::vector<std::string> fTumbledeck::GetCommandLine(int MaxArgs) {
  const char quote = Quote.empty() ? '"' : Quote.front();
  return SplitCommandTail(platform_.System().CommandTail(), quote, MaxArgs);
}

}  // namespace td
