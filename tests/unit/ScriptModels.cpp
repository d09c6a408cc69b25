#include "ScriptModels.h"

#include <limits>
#include <sstream>
#include <vector>

namespace td::test {

namespace {

// The registry value as the scripts' token loop rebuilds it. With no value at all the
// script's substring step works on an empty variable and leaves its own text.
std::string ScriptAnswer(sim::SimPlatform& machine) {
  const auto value = machine.ReadUserRegistryText(kHostKey, "DataPath");
  if (!value) return "~1,100";
  std::istringstream words(*value);
  std::string word;
  std::string joined;
  while (words >> word) joined += (joined.empty() ? "" : " ") + word;
  return machine.DecodeConsoleText(machine.EncodeConsoleText(joined.substr(0, 100)));
}

bool InterpreterCanSpell(sim::SimPlatform& machine, const std::string& text) {
  return machine.DecodeConsoleText(machine.EncodeConsoleText(text)) == text;
}

}  // namespace

void WriteRegistry(sim::SimPlatform& machine, const HostRegistry& registry) {
  if (registry.dataPath) {
    machine.SetRegistryText(kHostKey, "DataPath", *registry.dataPath);
  } else {
    machine.registry.clear();
  }
}

std::string ExclusionList() {
  std::string list;
  const std::vector<std::string> all = {"music", "skins", "backgrounds", "playlists", ".bmp", ".psd",
                                        ".vhd", ".txt", ".cld", ".lst", ".log", ".pxdr", ".cds",
                                        ".dat", ".rar", ".zip", ".ace", ".7z", ".dlmcdf"};
  for (const std::string& entry : all) list += entry + " \r\n";
  return list;
}

void InstallDataPathScript(sim::SimPlatform& machine, double delay) {
  machine.InstallProgram("getpxdrdata.bat", [delay](sim::SimPlatform& m,
                                                   const std::vector<std::string>& args,
                                                   sim::SimProcess& process) {
    if (delay < 0) {
      process.endsAt = std::numeric_limits<double>::infinity();
      return;
    }
    const std::string target = (args.empty() ? std::string() : args[0]) + "pxdrdatapath.txt";
    process.endsAt = m.Now() + delay;
    process.At(process.endsAt, [&m, target] {
      m.fs.WriteBytes(target, m.EncodeConsoleText(ScriptAnswer(m)) + " \r\n");
    });
  });
}

void InstallBackupScript(sim::SimPlatform& machine, double seconds, BackupEnd end) {
  machine.InstallProgram("saveorig.bat", [seconds, end](sim::SimPlatform& m,
                                                       const std::vector<std::string>& args,
                                                       sim::SimProcess& process) {
    const std::string master = args.empty() ? std::string() : args[0];
    const std::string saveFolder = master + "saveorig\\data";
    const std::string marker = saveFolder + "\\exclude.txt";
    process.endsAt = end == BackupEnd::kNeverEnds ? std::numeric_limits<double>::infinity()
                                                  : m.Now() + seconds;
    // The script's own failures show only in its console window.
    if (!InterpreterCanSpell(m, master) || !m.fs.IsFolder(saveFolder)) return;
    m.fs.WriteBytes(marker, ExclusionList());
    const auto copy = [&m, saveFolder] {
      std::string source = ScriptAnswer(m);
      if (!source.empty()) source.pop_back();  // the script drops the trailing "\"
      std::vector<std::string> excluded;
      std::istringstream lines(ExclusionList());
      // Each entry keeps the blank the script's echo left before the line end.
      for (std::string line; std::getline(lines, line);) excluded.push_back(line.substr(0, line.size() - 1));
      if (m.fs.IsFolder(source)) m.fs.CopyTree(source, saveFolder, excluded);
    };
    if (end == BackupEnd::kWindowClosed) process.At(process.endsAt + 1, copy);
    if (end != BackupEnd::kCompletes) return;
    process.At(process.endsAt, [&m, copy, marker] {
      copy();
      m.fs.RemoveFile(marker, IfMissing::kFail);
    });
  });
}

}  // namespace td::test
