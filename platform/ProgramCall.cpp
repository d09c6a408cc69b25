#include "platform/ProgramCall.h"

#include "platform/AsciiCase.h"

#include <algorithm>

namespace td {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One word of a command line from `at`, its enclosing quotes removed; `at` moves
// behind it and the blanks that follow.
std::string NextWord(std::string_view line, std::size_t& at) {
  while (at < line.size() && IsBlank(line[at])) ++at;
  std::string word;
  if (at < line.size() && line[at] == '"') {
    const std::size_t close = line.find('"', at + 1);
    word = line.substr(at + 1, close == std::string_view::npos ? std::string_view::npos : close - at - 1);
    at = close == std::string_view::npos ? line.size() : close + 1;
  } else {
    while (at < line.size() && !IsBlank(line[at])) word += line[at++];
  }
  while (at < line.size() && IsBlank(line[at])) ++at;
  return word;
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && SameIgnoringAsciiCase(text.substr(text.size() - tail.size()), tail);
}

}  // namespace

ProgramCall ReadProgramCall(std::string_view commandLine) {
  ProgramCall call;
  std::size_t at = 0;
  call.program = NextWord(commandLine, at);
  call.script = EndsWithNoCase(call.program, ".bat") || EndsWithNoCase(call.program, ".cmd");
  if (call.script) {
    call.hasArgument = at < commandLine.size();
    call.argument = NextWord(commandLine, at);
  }
  return call;
}

std::optional<std::string> SystemProgramFile(std::string_view program) {
  if (program.find_first_of("\\/:") != std::string_view::npos) return std::nullopt;
  std::string file(program);
  if (program.find('.') == std::string_view::npos) file += ".exe";
  return file;
}

std::string WithoutBlanksInWords(
    std::string_view commandLine,
    const std::function<std::optional<std::string>(const std::string& word)>& shortForm) {
  std::size_t at = std::min(commandLine.find_first_not_of(" \t"), commandLine.size());
  std::string line(commandLine.substr(0, at));
  while (at < commandLine.size()) {
    const std::size_t start = at;
    std::string word = NextWord(commandLine, at);
    const std::size_t end = commandLine.find_last_not_of(" \t", at - 1) + 1;
    const bool quoted = commandLine[start] == '"' && end - start >= 2 && commandLine[end - 1] == '"';
    std::optional<std::string> plain;
    if (quoted && word.find_first_of(" \t") != std::string::npos) plain = shortForm(word);
    if (plain && plain->find_first_of(" \t\"") == std::string::npos) {
      line += '"' + *plain + '"';
    } else {
      line += commandLine.substr(start, end - start);
    }
    line += commandLine.substr(end, at - end);  // the blanks behind it
  }
  return line;
}

std::string DoublePercents(std::string_view text) {
  std::string doubled;
  for (const char c : text) {
    doubled += c;
    if (c == '%') doubled += '%';
  }
  return doubled;
}

}  // namespace td
