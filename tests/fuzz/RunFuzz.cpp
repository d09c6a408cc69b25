// A whole run on the simulated machine, everything a stranger may decide taken from the
// input. Field 0 steers: its bits 0-1 pick the command (the tail as given, makebackup,
// help, showcards), bit 2 leaves the registry value out, bit 3 has the data-path script
// write field 3's bytes instead of its own answer, bit 4 closes the back-up's window.
// Field 1 is the command tail, 2 the registry value (the host's folder when empty), 3 the
// exchange file's bytes, 4 "debug.ini"; each field after them is an entry: its first
// byte says where (bits 0-1: the master folder, the host's folder, the folder that holds
// the master folder) and what (bits 2-3: a set or card folder with its picture, an empty
// folder, a file, a hidden file), the rest is its name.
//
// The run must end (by itself or with the report of a failure), copy nothing from
// outside <master>\<one name>\data but the back-up, start no script when the value holds
// script syntax, and start no program but the system's and its own two scripts.
#include <optional>

#include "FuzzTarget.h"
#include "SimRun.h"
#include "platform/AsciiCase.h"
#include "platform/ProgramCall.h"

using td::fuzz::Require;

namespace {

// Marks a file with where it was made; it holds a NUL, which no field of the input can.
const std::string kOrigin("\0origin:", 8);
constexpr char kBesideMaster[] = "C:\\";  // SimRun's master folder is "C:\My Card Sets\"
// A sound frame header, so that the viewer takes a card for a picture.
constexpr char kJpegHead[] = "\xFF\xD8\xFF\xC0\x00\x0B\x08\x00\x10\x00\x10\x01\x01\x11\x00";

std::string Tagged(const std::string& path) {
  return std::string(kJpegHead, sizeof kJpegHead - 1) + kOrigin + path;
}

// A name Windows can hold; bytes that are no UTF-8 stand for names that are no UTF-16.
bool CanBeNamed(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) return false;
  }
  return true;
}

void AddEntry(td::test::SimRun& run, const std::string& field) {
  if (field.empty()) return;
  const std::string name = field.substr(1);
  if (!CanBeNamed(name)) return;
  const int where = field[0] & 3;
  const bool inHost = where == 1;
  const std::string path = (inHost ? run.hostData : where == 2 ? kBesideMaster : run.master) + name;
  td::sim::SimFileSystem& fs = run.sim.fs;
  if (fs.Exists(path)) return;
  const std::string file = inHost ? path + "\\" + name + "c.jpg" : path + "\\Data\\a0001\\a0001c.jpg";
  try {
    switch ((field[0] >> 2) & 3) {
      case 0: fs.AddFile(file, Tagged(file)); break;
      case 1: fs.AddFolder(path); break;
      case 2: fs.AddFile(path, Tagged(path)); break;
      default: fs.AddFile(path, Tagged(path), td::attr::kHidden); break;
    }
  } catch (const td::RunError&) {
    // The machine writes no file under a name that is no UTF-8: a folder stands for it.
    fs.AddFolder(path);
  }
}

bool StartsWithNoCase(const std::string& text, const std::string& head) {
  return text.size() >= head.size() && td::SameIgnoringAsciiCase(text.substr(0, head.size()), head);
}

// A file copied from a set's data folder, or into the back-up.
bool MayBeCopied(const std::string& master, const std::string& origin, const std::string& now) {
  if (StartsWithNoCase(now, master + "saveorig\\data\\")) return true;
  if (!StartsWithNoCase(origin, master)) return false;
  const std::string rest = origin.substr(master.size());
  const std::size_t slash = rest.find('\\');
  return slash != std::string::npos && slash > 0 && StartsWithNoCase(rest.substr(slash), "\\data\\");
}

void CheckCopies(td::test::SimRun& run) {
  for (char drive = 'A'; drive <= 'Z'; ++drive) {
    const std::string root = std::string(1, drive) + ":\\";
    for (const auto& [relative, content] : run.sim.fs.Snapshot(root)) {
      const std::size_t tag = content.find(kOrigin);
      if (tag == std::string::npos) continue;
      const std::string origin = content.substr(tag + kOrigin.size());
      const std::string now = root + relative;
      if (td::SameIgnoringAsciiCase(origin, now)) continue;
      Require(MayBeCopied(run.master, origin, now), "nothing is copied from outside a set's data");
    }
  }
}

void CheckStarted(td::test::SimRun& run, const std::optional<std::string>& value) {
  const bool syntax = value && value->find_first_of("&|<>^%\"") != std::string::npos;
  const std::optional<std::string> shortMaster = run.sim.fs.ShortPath(run.master);
  for (const std::string& command : run.sim.seen.started) {
    const td::ProgramCall call = td::ReadProgramCall(command);
    if (!call.script) {
      Require(td::SystemProgramFile(call.program).has_value(), "only the system's programs");
      continue;
    }
    Require(!syntax, "no script runs on a value with script syntax");
    const std::string folder = call.program.substr(0, call.program.rfind('\\') + 1);
    const std::string file = call.program.substr(folder.size());
    const bool ours = td::SameIgnoringAsciiCase(file, "GetPXDRData.bat") ||
                      td::SameIgnoringAsciiCase(file, "SaveOrig.bat");
    const bool inMaster = td::SameIgnoringAsciiCase(folder, run.master) ||
                          (shortMaster && td::SameIgnoringAsciiCase(folder, *shortMaster + "\\"));
    Require(ours && inMaster, "only the program's own scripts, in the master folder");
  }
}

}  // namespace

TD_FUZZ_TARGET {
  const std::vector<std::string> fields = td::fuzz::Fields(td::fuzz::Bytes(data, size), 5);
  const unsigned steer = fields[0].empty() ? 0 : static_cast<unsigned char>(fields[0][0]);
  td::test::SimRun run;
  run.sim.given.yieldCost = 0.01;
  run.sim.given.timeLimit = 600;
  if (steer & 4) {
    run.given.registry.dataPath.reset();
  } else if (!fields[2].empty()) {
    run.given.registry.dataPath = fields[2];
  }
  if (steer & 8) run.given.answer = fields[3];
  if (!fields[4].empty()) run.WriteSettings(fields[4]);
  for (std::size_t i = 5; i < fields.size(); ++i) AddEntry(run, fields[i]);
  td::test::InstallBackupScript(run.sim, 2, steer & 16 ? td::test::BackupEnd::kWindowClosed
                                                       : td::test::BackupEnd::kCompletes);
  // The user closes a command's window after a while.
  run.sim.At(30, [&run] {
    for (const char* caption : {"Help", "Show Current Card Sets"}) {
      if (td::sim::SimWindow* window = run.sim.WindowByCaption(caption)) window->UserClose();
    }
  });
  const char* commands[] = {nullptr, "makebackup", "help", "showcards"};
  run.Run(commands[steer & 3] ? commands[steer & 3] : fields[1]);
  Require(run.EndedByItself() || run.sim.seen.report, "the run ends");
  CheckCopies(run);
  CheckStarted(run, run.given.registry.dataPath);
  return 0;
}
