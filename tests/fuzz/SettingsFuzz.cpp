// "debug.ini" and the host-folder answer in "pxdrdatapath.txt", as a switch reads them:
// the input's two fields are the two files' bytes.
#include "FuzzTarget.h"
#include "SimRun.h"
#include "platform/AsciiCase.h"

using td::fuzz::Require;

TD_FUZZ_TARGET {
  const std::vector<std::string> fields = td::fuzz::Fields(td::fuzz::Bytes(data, size), 2);
  td::test::SimRun run;
  run.sim.given.yieldCost = 0.01;
  run.AddSet("GoldSet");
  run.WriteSettings(fields[0]);
  run.given.answer = fields[1];
  run.Run("GoldSet");
  Require(run.EndedByItself() || run.sim.seen.report, "the run ends");
  const bool saysTrue = td::LowerAscii(fields[0]).find("true") != std::string::npos;
  Require(saysTrue || run.sim.seen.messages.empty(), "no diagnostic without a \"true\"");
  Require(saysTrue || !run.sim.fs.Exists(run.master + "XcopyCmd.bat"), "no copy script kept");
  for (const std::string& command : run.sim.seen.started) {
    if (command.rfind("Xcopy", 0) != 0) continue;
    const std::string target = command.substr(command.rfind('"', command.size() - 2) + 1);
    const bool absolute = (target.size() > 3 && target[1] == ':' && target[2] == '\\') ||
                          target.rfind("\\\\", 0) == 0;
    Require(absolute, "a copy goes into a full path only");
  }
  return 0;
}
