#include "ScriptModels.h"

#include <sstream>
#include <vector>

namespace td::test {

namespace {

// The registry value as the script's token loop rebuilds it. With no value at all the
// script's substring step works on an empty variable and leaves its own text.
std::string ScriptAnswer(const HostRegistry& registry) {
  if (!registry.dataPath) return "~1,100";
  std::istringstream words(*registry.dataPath);
  std::string word;
  std::string joined;
  while (words >> word) joined += (joined.empty() ? "" : " ") + word;
  return joined.substr(0, 100);
}

}  // namespace

std::string ExclusionList() {
  std::string list;
  const std::vector<std::string> all = {"music", "skins", "backgrounds", "playlists", ".bmp", ".psd",
                                        ".vhd", ".txt", ".cld", ".lst", ".log", ".pxdr", ".cds",
                                        ".dat", ".rar", ".zip", ".ace", ".7z", ".dlmcdf"};
  for (const std::string& entry : all) list += entry + " \r\n";
  return list;
}

void InstallDataPathScript(sim::SimPlatform& machine, const HostRegistry& registry, double delay) {
  machine.InstallProgram("getpxdrdata.bat", [&registry, delay](sim::SimPlatform& m,
                                                               const std::vector<std::string>& args) {
    if (delay < 0) return;
    const std::string target = (args.empty() ? std::string() : args[0]) + "pxdrdatapath.txt";
    m.At(m.Now() + delay, [&m, &registry, target] {
      m.fs.WriteBytes(target, m.EncodeConsoleText(ScriptAnswer(registry)) + " \r\n");
    });
  });
}

void InstallBackupScript(sim::SimPlatform& machine, const HostRegistry& registry, double delay) {
  machine.InstallProgram("saveorig.bat", [&registry, delay](sim::SimPlatform& m,
                                                            const std::vector<std::string>& args) {
    const std::string saveFolder = (args.empty() ? std::string() : args[0]) + "saveorig\\data";
    const std::string marker = saveFolder + "\\exclude.txt";
    // The script's own failures show only in its console window.
    if (!m.fs.IsFolder(saveFolder)) return;
    m.fs.WriteBytes(marker, ExclusionList());
    if (delay < 0) return;
    m.At(m.Now() + delay, [&m, &registry, saveFolder, marker] {
      std::string source = ScriptAnswer(registry);
      if (!source.empty()) source.pop_back();  // the script drops the trailing "\"
      std::vector<std::string> excluded;
      std::istringstream lines(ExclusionList());
      // Each entry keeps the blank the script's echo left before the line end.
      for (std::string line; std::getline(lines, line);) excluded.push_back(line.substr(0, line.size() - 1));
      if (m.fs.IsFolder(source)) m.fs.CopyTree(source, saveFolder, excluded);
      m.fs.RemoveFile(marker, IfMissing::kFail);
    });
  });
}

}  // namespace td::test
