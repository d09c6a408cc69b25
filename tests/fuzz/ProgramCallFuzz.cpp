// A command line as the Windows machine reads it before it starts anything: the
// program's word, a script's argument, the system program's file, the doubled "%".
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
  return 0;
}
