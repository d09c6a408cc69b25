// A command line as the Windows machine reads it before it starts anything: the
// program's word, a script's argument, the system program's file, the doubled "%", and
// the line with its quoted words in a short form.
#include "FuzzTarget.h"
#include "platform/ProgramCall.h"

using td::fuzz::Require;

TD_FUZZ_TARGET {
  const std::string_view line = td::fuzz::Bytes(data, size);
  const td::ProgramCall call = td::ReadProgramCall(line);
  Require(call.program.size() <= line.size() && call.argument.size() <= line.size(),
          "words come from the line");
  Require(call.script || !call.hasArgument, "only a script has an argument");
  if (const auto file = td::SystemProgramFile(call.program)) {
    Require(file->find_first_of("\\/:") == std::string::npos, "a system program has no folder");
  }
  const std::string doubled = td::DoublePercents(call.argument);
  std::string halved;
  for (std::size_t i = 0; i < doubled.size(); ++i) {
    halved += doubled[i];
    if (doubled[i] == '%') {
      Require(i + 1 < doubled.size() && doubled[i + 1] == '%', "every % doubled");
      ++i;
    }
  }
  Require(halved == call.argument, "read once more, the doubled text is the argument");
  const auto none = [](const std::string&) { return std::optional<std::string>(); };
  Require(td::WithoutBlanksInWords(line, none) == line, "without short forms the line stays");
  const auto plain = [](const std::string&) { return std::optional<std::string>("X"); };
  const std::string shortened = td::WithoutBlanksInWords(line, plain);
  Require(td::WithoutBlanksInWords(shortened, plain) == shortened, "a short form is final");
  return 0;
}
