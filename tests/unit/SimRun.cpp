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
  sim.resources[kResDataPathScript] = ReadSourceFile("GetPXDRData.bat");
  sim.resources[kResBackupScript] = ReadSourceFile("SaveOrig.bat");
  sim.resources[kResUserGuide] = ReadSourceFile("How to Use.rtf");
  sim.executablePath = master + "Tumbledeck.exe";
  sim.fs.AddFile(sim.executablePath, "MZ");
  sim.fs.AddFolder(hostData);
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
  sim.commandTail = commandTail;
  sim.report.reset();
  ended.clear();
  WriteRegistry(sim, registry);
  InstallDataPathScript(sim, scriptDelay, answer);
  const double start = sim.Now();
  try {
    fTumbledeck main(sim);
    main.Load();
    loadEnd = sim.Now() - start;
    sim.RunUntilNoWindows();
  } catch (const sim::ProcessEnded& abnormal) {
    ended = abnormal.why;
  }
  end = sim.Now() - start;
  sim.SettleProcesses();
}

}  // namespace td::test
