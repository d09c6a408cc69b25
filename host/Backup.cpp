#include "host/Backup.h"

#include <algorithm>
#include <optional>

#include "host/HostLayout.h"
#include "host/ModResFiles.h"
#include "host/ScriptCommandLine.h"
#include "run/MasterFolder.h"

namespace td {

namespace {

// Runs one preparation step. Every failure is skipped on purpose: a folder that exists
// already is the normal case, and whatever else fails shows when the script runs.
template <typename Step>
void SkipFailure(Step step) {
  try {
    step();
  } catch (const RunError&) {
  }
}

// Makes saveorig\data and the empty marker "exclude.txt"; folders that exist keep
// their content.
void PrepareBackupFolder(FileSystem& files, const std::string& master) {
  SkipFailure([&] { files.ChangeFolder(master); });
  SkipFailure([&] { files.MakeFolder(master + names::kBackupSet); });
  SkipFailure([&] { files.ChangeFolder(names::kBackupSet); });
  SkipFailure([&] { files.MakeFolder(master + names::kBackupData); });
  SkipFailure([&] { files.ChangeFolder(".."); });
  SkipFailure([&] { files.WriteBytes(master + names::kBackupMarker, ""); });
}

// The folder the back-up script is handed. The script finds its own folder again
// through the command interpreter, which garbles letters beyond ASCII (Wine all of
// them, Windows those its console code page lacks) and, under Wine, eats a "%" each time
// it expands the folder; the short 8.3 form of such a folder, where the volume keeps
// one, names the same folder in plain ASCII.
std::string BackupScriptFolder(FileSystem& files, const std::string& master) {
  const auto plain = [](const std::string& path, bool blanks) {
    return std::all_of(path.begin(), path.end(), [blanks](char c) {
      return (c > ' ' || (blanks && c == ' ')) && c < 0x7F && c != '%';
    });
  };
  if (plain(master, true)) return master;
  const auto shortForm = files.ShortPath(master);
  return shortForm && plain(*shortForm, false) ? *shortForm : master;
}

// The programs the back-up script names. It runs them in saveorig\data, where the
// command interpreter looks first (Wine's always, Windows' unless told not to), and
// where a card set's files land with every back-up.
constexpr const char* kBackupScriptPrograms[] = {"REG", "FINDSTR", "XCOPY"};

// A file in `folder` that the interpreter would run in place of one of those programs.
std::optional<std::string> PlantedProgram(FileSystem& files, const std::string& folder) {
  for (const char* program : kBackupScriptPrograms) {
    for (const char* extension : kProgramExtensions) {
      const std::string path = folder + program + extension;
      try {
        files.Attributes(path);  // hidden ones too: the interpreter runs those as well
        return path;
      } catch (const RunError&) {
      }
    }
  }
  return std::nullopt;
}

std::string NotMade(const std::string& why, const std::string& remedy) {
  return "The back-up was not made: " + why + "\r\n\r\n" + remedy;
}

// Why the back-up script must not run here, if it must not: it would work in the wrong
// folder, run the host's value as commands, copy the wrong folder, or run a stranger's
// program.
std::optional<std::string> WhyNoBackup(FileSystem& files, System& system, const RunState& run) {
  if (run.MyPath.rfind("\\\\", 0) == 0) {
    return NotMade("it needs the master folder on a drive letter, and \"" + run.MyPath +
                       "\" is a network folder.",
                   "Map the network folder to a drive letter and start Tumbledeck from there, "
                   "or move the master folder to a drive.");
  }
  const auto value = system.ReadUserRegistryText(kHostRegistryKey, kHostRegistryValue);
  if (value && HoldsScriptSyntax(*value)) {
    return NotMade("Pixadore's card folder \"" + *value +
                       "\" holds characters (& | < > ^ % \") that the back-up script would "
                       "run as commands.",
                   "Move Pixadore's cards to a folder whose name has none of them, then make "
                   "the back-up again.");
  }
  if (value && !value->empty() && value->back() != '\\') {
    return NotMade("Pixadore's card folder \"" + *value +
                       "\" does not end in \"\\\" as Pixadore writes it, and the back-up "
                       "script would copy another folder.",
                   "Set Pixadore's card folder again in Pixadore, then make the back-up again.");
  }
  const std::string data = run.MyPath + names::kBackupData + "\\";
  if (const auto planted = PlantedProgram(files, data)) {
    return NotMade("\"" + *planted + "\" would run in place of Windows' own program of that "
                       "name.",
                   "Delete that file (it came with a card set, or someone put it there), then "
                   "make the back-up again.");
  }
  return std::nullopt;
}

}  // namespace

void MakeBackup(FileSystem& files, System& system, Screen& screen, RunState& run) {
  if (const auto why = WhyNoBackup(files, system, run)) {
    screen.ShowMessage(*why);
    run.WorkDone = true;
    return;
  }
  if (run.DebugMode) screen.ShowMessage(run.MyPath);
  PrepareBackupFolder(files, run.MyPath);

  WriteScript(files, system, kResBackupScript, run.MyPath + names::kBackupScript);
  const std::string command =
      ScriptCommandLine(run, names::kBackupScript, BackupScriptFolder(files, run.MyPath));
  if (run.DebugMode) screen.ShowMessage(command);
  if (run.WriteCopyScript) {
    screen.ShowMessage(command);
  } else {
    const auto script = system.StartProcess(command);
    // The script deletes the marker as its very last step. One that ended without
    // getting there (its window closed, a folder it could not find) ends the wait too.
    const std::string marker = run.MyPath + names::kBackupMarker;
    while (files.IsPlainFile(marker) && !script->HasEnded()) screen.DoEvents();
    const bool finished = !files.IsPlainFile(marker);
    // A script stopped midway (its window closed) may leave its copy running; it would
    // go on writing into the back-up after the report.
    if (!finished) script->End();
    if (finished && !system.InterpreterRunsCarriedScripts()) CopyHostIntoBackup(files, screen, run);
    CheckBackup(files, screen, run, finished);
  }
  run.WorkDone = true;
}

}  // namespace td
