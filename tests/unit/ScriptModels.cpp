#include "ScriptModels.h"

#include "host/HostLayout.h"
#include "host/ModResFiles.h"

#include <limits>
#include <regex>
#include <sstream>
#include <vector>

namespace td::test {

namespace {

// The interpreter cuts a value by letters, not by the bytes of their UTF-8 form.
std::string FirstLetters(const std::string& utf8, std::size_t letters) {
  std::size_t end = 0;
  for (std::size_t count = 0; end < utf8.size(); ++end) {
    const bool startsLetter = (static_cast<unsigned char>(utf8[end]) & 0xC0) != 0x80;
    if (startsLetter && count++ == letters) break;
  }
  return utf8.substr(0, end);
}

// The registry value as the scripts' token loop rebuilds it. With no value at all the
// script's substring step works on an empty variable and leaves its own text.
// Wine 10's interpreter reads the loop's options as "no delimiters" and finds no word.
std::string ScriptAnswer(sim::SimPlatform& machine) {
  const auto value = machine.ReadUserRegistryText(kHostRegistryKey, kHostRegistryValue);
  if (!value || !machine.InterpreterRunsCarriedScripts()) return "~1,100";
  std::istringstream words(*value);
  std::string word;
  std::string joined;
  while (words >> word) joined += (joined.empty() ? "" : " ") + word;
  return machine.DecodeConsoleText(machine.EncodeConsoleText(FirstLetters(joined, 100)));
}

bool InterpreterCanSpell(sim::SimPlatform& machine, const std::string& text) {
  return machine.DecodeConsoleText(machine.EncodeConsoleText(text)) == text;
}

}  // namespace

void WriteRegistry(sim::SimPlatform& machine, const HostRegistry& registry) {
  if (registry.dataPath) {
    machine.SetRegistryText(kHostRegistryKey, kHostRegistryValue, *registry.dataPath);
  } else {
    machine.given.registry.clear();
  }
}

std::string ExclusionList(const std::string& script) {
  static const std::regex entryLine(R"(^echo (\S+) >>? exclude\.txt\r?$)");
  std::string list;
  std::istringstream lines(script);
  std::smatch entry;
  for (std::string line; std::getline(lines, line);)
    if (std::regex_match(line, entry, entryLine)) list += entry.str(1) + " \r\n";
  return list;
}

void InstallDataPathScript(sim::SimPlatform& machine, double delay,
                           std::optional<std::string> bytes) {
  machine.InstallProgram("getpxdrdata.bat", [delay, bytes](sim::SimPlatform& m,
                                                   const std::vector<std::string>& args,
                                                   sim::SimProcess& process) {
    if (delay < 0) {
      process.endsAt = std::numeric_limits<double>::infinity();
      return;
    }
    const std::string target = (args.empty() ? std::string() : args[0]) + "pxdrdatapath.txt";
    process.endsAt = m.Now() + delay;
    process.At(process.endsAt, [&m, target, bytes] {
      m.fs.WriteBytes(target, bytes ? *bytes : m.EncodeConsoleText(ScriptAnswer(m)) + " \r\n");
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
    const std::string list = ExclusionList(m.given.resources[kResBackupScript]);
    m.fs.WriteBytes(marker, list);
    const auto copy = [&m, saveFolder, list] {
      std::string source = ScriptAnswer(m);
      if (!source.empty()) source.pop_back();  // the script drops the trailing "\"
      std::vector<std::string> excluded;
      std::istringstream lines(list);
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
