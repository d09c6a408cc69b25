#include "SimRun.h"
#include "host/ModResFiles.h"

#include <fstream>
#include <sstream>

namespace td::test {

namespace {

std::string ReadSourceFile(const std::string& name) {
  std::ifstream in(std::string(TD_RESOURCES_DIR) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

SimRun::SimRun(std::string masterFolder) : master(std::move(masterFolder)) {
  sim.given.resources[kResDataPathScript] = ReadSourceFile("GetPXDRData.bat");
  sim.given.resources[kResBackupScript] = ReadSourceFile("SaveOrig.bat");
  sim.given.resources[kResUserGuide] = ReadSourceFile("How to Use.rtf");
  sim.given.executablePath = master + "Tumbledeck.exe";
  sim.fs.AddFile(sim.given.executablePath, "MZ");
  sim.fs.AddFolder(hostData);
  given.registry.dataPath = hostData;
}

Files SimRun::CardFiles(const std::string& set, const std::vector<std::string>& cards) {
  Files files;
  for (const std::string& card : cards) {
    files[card + "\\" + card + "c.jpg"] = "\xFF\xD8\xFF" + set + "/" + card;
  }
  return files;
}

void SimRun::AddSet(const std::string& name, const std::vector<std::string>& cards) {
  sim.fs.AddFolder(master + name + "\\Data");
  for (const auto& [relative, bytes] : CardFiles(name, cards)) {
    sim.fs.AddFile(master + name + "\\Data\\" + relative, bytes);
  }
}

void SimRun::Run(const std::string& commandTail) {
  sim.given.commandTail = commandTail;
  sim.seen.report.reset();
  seen.ended.clear();
  WriteRegistry(sim, given.registry);
  InstallDataPathScript(sim, given.scriptDelay, given.answer);
  const double start = sim.Now();
  try {
    fTumbledeck main(sim);
    main.Load();
    seen.loadEnd = sim.Now() - start;
    sim.RunUntilNoWindows();
  } catch (const sim::ProcessEnded& abnormal) {
    seen.ended = abnormal.why;
  }
  seen.end = sim.Now() - start;
  sim.SettleProcesses();
}

}  // namespace td::test
