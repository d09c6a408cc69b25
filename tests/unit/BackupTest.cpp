// The "makebackup" command: preparation, the diagnostic modes and the wait for the
// back-up script's marker.
#include <gtest/gtest.h>

#include "SimRun.h"
#include "host/Backup.h"
#include "host/HostLayout.h"
#include "host/ModResFiles.h"

namespace td::test {
namespace {

class Backup : public ::testing::Test {
 protected:
  Backup() {
    run.sim.fs.AddFile(run.hostData + "a0001\\a0001c.jpg", "card one");
    run.sim.fs.AddFile(run.hostData + "b0002\\b0002c.jpg", "card two");
    InstallBackupScript(run.sim, backupSeconds);
  }
  std::string Command() const {
    return "\"C:\\My Card Sets\\SaveOrig.bat\" \"C:\\My Card Sets\\\"";
  }
  std::string Saved() const { return run.master + "saveorig\\data\\"; }
  bool BackupStarted() const {
    return std::find(run.sim.seen.started.begin(), run.sim.seen.started.end(), Command()) != run.sim.seen.started.end();
  }

  SimRun run;
  double backupSeconds = 3;
};

TEST_F(Backup, CopiesTheHostsCardsAndEndsWhenTheMarkerIsGone) {
  // A complete back-up reports nothing.
  run.Run("makebackup");
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  EXPECT_EQ(run.sim.fs.Snapshot(Saved()), run.HostFiles());
  EXPECT_FALSE(run.sim.fs.Exists(Saved() + "exclude.txt"));
  EXPECT_FALSE(run.sim.fs.Exists(run.master + "SaveOrig.bat"));
  EXPECT_GT(run.seen.end, 5.0 + backupSeconds) << "the run waited for the script";
  EXPECT_LE(run.seen.end, 5.0 + backupSeconds + 0.51) << "and ended at the next tick";
  EXPECT_TRUE(run.sim.seen.messages.empty());
}

TEST_F(Backup, DroppedCommandFolderAnyCaseStartsTheBackup) {
  run.Run("C:\\Sets\\MAKEBACKUP");
  EXPECT_TRUE(BackupStarted());
  run.sim.seen.started.clear();
  run.Run("\" MakeBackup \"");
  EXPECT_TRUE(BackupStarted());
}

TEST_F(Backup, DebugModeShowsFolderAndCommandBeforeTheScriptStarts) {
  run.WriteSettings("true\r\nfalse\r\n");
  std::vector<bool> startedAtMessage;
  run.sim.given.onMessage = [&](const std::string&) { startedAtMessage.push_back(BackupStarted()); };
  run.Run("makebackup");
  EXPECT_EQ(run.sim.seen.messages, (std::vector<std::string>{run.master, Command()}));
  EXPECT_EQ(startedAtMessage, (std::vector<bool>{false, false}));
  EXPECT_EQ(run.sim.fs.Snapshot(Saved()), run.HostFiles());
}

TEST_F(Backup, WriteCopyScriptShowsTheCommandAndRunsNothing) {
  run.WriteSettings("false\r\ntrue\r\n");
  run.Run("makebackup");
  EXPECT_EQ(run.sim.seen.messages, std::vector<std::string>{Command()});
  EXPECT_FALSE(BackupStarted());
  EXPECT_EQ(run.sim.fs.ReadBytes(Saved() + "exclude.txt"), "") << "the empty marker stays";
  EXPECT_TRUE(run.EndedByItself());
  EXPECT_NEAR(run.seen.end, 5.5, 0.01);

  run.WriteSettings("TRUE\r\nTRUE\r\n");
  run.sim.seen.messages.clear();
  run.Run("makebackup");
  EXPECT_EQ(run.sim.seen.messages, (std::vector<std::string>{run.master, Command(), Command()}));
  EXPECT_FALSE(BackupStarted());
}

TEST_F(Backup, ExistingBackupKeepsItsOtherFiles) {
  run.sim.fs.AddFile(Saved() + "a0001\\a0001c.jpg", "older copy");
  run.sim.fs.AddFile(Saved() + "z0009\\z0009c.jpg", "planted");
  run.Run("makebackup");
  EXPECT_EQ(run.sim.fs.ReadBytes(Saved() + "a0001\\a0001c.jpg"), "card one");
  EXPECT_EQ(run.sim.fs.ReadBytes(Saved() + "z0009\\z0009c.jpg"), "planted");
}

TEST_F(Backup, SaveorigAsAPlainFileSkipsThePreparationAndTheWait) {
  run.sim.fs.AddFile(run.master + "saveorig", "not a folder");
  run.Run("makebackup");
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  EXPECT_TRUE(BackupStarted());
  EXPECT_EQ(run.sim.fs.ReadBytes(run.master + "saveorig"), "not a folder");
}

TEST_F(Backup, UnwritableMasterFolderEndsWithTheReportAndLeavesScratchFiles) {
  run.sim.At(1.0, [&] { run.sim.fs.SetAccess(run.master, {.list = true, .change = false}); });
  run.Run("makebackup");
  ASSERT_TRUE(run.sim.seen.report);
  EXPECT_EQ(run.sim.seen.report->Number(), err::kPathFileAccess) << "the script could not be written";
  EXPECT_FALSE(BackupStarted());
  EXPECT_TRUE(run.sim.fs.Exists(run.master + "GetPXDRData.bat"));
  EXPECT_TRUE(run.sim.fs.Exists(run.master + "pxdrdatapath.txt"));
  EXPECT_FALSE(run.sim.fs.Exists(run.master + "saveorig"));
}

TEST_F(Backup, LongBackupKeepsTheRunWaitingWithoutEndingEarly) {
  run.sim.given.yieldCost = 0.01;
  InstallBackupScript(run.sim, 1800);
  bool midway = false;
  run.sim.At(900, [&] {
    midway = true;
    EXPECT_TRUE(run.sim.fs.Exists(run.master + "SaveOrig.bat"));
    EXPECT_EQ(run.sim.Windows().size(), 1u);
  });
  run.Run("makebackup");
  EXPECT_TRUE(midway);
  EXPECT_TRUE(run.EndedByItself());
  EXPECT_GT(run.seen.end, 1805);
}

TEST_F(Backup, AFolderNamedLikeTheMarkerIsNoMarker) {
  run.sim.fs.AddFolder(Saved() + "exclude.txt");
  run.sim.given.timeLimit = 120;
  run.sim.InstallProgram("saveorig.bat", [](sim::SimPlatform&, const std::vector<std::string>&,
                                             sim::SimProcess& process) {
    // The script cannot write its list over a folder, and never gets to its end.
    process.endsAt = 1e9;
  });
  run.Run("makebackup");
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  EXPECT_LT(run.seen.end, 6.0);
}

TEST_F(Backup, AScriptThatHangsKeepsTheRunWaiting) {
  run.sim.given.yieldCost = 0.01;
  run.sim.given.timeLimit = 120;
  InstallBackupScript(run.sim, 0, BackupEnd::kNeverEnds);
  run.Run("makebackup");
  EXPECT_EQ(run.seen.ended, "still running at the time limit");
  EXPECT_TRUE(run.sim.fs.Exists(Saved() + "exclude.txt"));
}

TEST_F(Backup, AClosedScriptWindowEndsTheWaitWithTheReport) {
  InstallBackupScript(run.sim, 2, BackupEnd::kWindowClosed);
  run.Run("makebackup");
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  EXPECT_LT(run.seen.end, 5.0 + 2 + 0.51) << "within a tick of the script's end";
  ASSERT_EQ(run.sim.seen.messages.size(), 1u);
  EXPECT_EQ(run.sim.seen.messages[0],
            "The back-up is incomplete: 0 of 2 card pictures were saved in \"" + Saved() +
                "\".\r\n\r\nMake the back-up again before you install another card set.");
  EXPECT_FALSE(run.sim.fs.Exists(Saved() + "exclude.txt")) << "the marker left behind is gone";
  EXPECT_TRUE(run.sim.fs.Snapshot(Saved()).empty()) << "the copy it left running was ended";
}

TEST_F(Backup, AScriptThatCopiedNothingIsReported) {
  // The script cannot spell the host's folder (a letter its code page lacks), copies
  // nothing and still deletes its marker; the program finds the folder itself.
  const std::string host = "D:\\Cartes \xC5\x81\xC3\xB3" "d\xC5\xBA\\";
  run.sim.fs.AddFile(host + "a0001\\a0001c.jpg", "card one");
  run.given.registry.dataPath = host;
  run.Run("makebackup");
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  ASSERT_EQ(run.sim.seen.messages.size(), 1u);
  EXPECT_NE(run.sim.seen.messages[0].find("0 of 1 card pictures"), std::string::npos)
      << run.sim.seen.messages[0];
}

// Where the interpreter cannot run the script's registry loop and copy (Wine 10), the
// script finds no host folder; the program then copies as the script's xcopy would.
TEST_F(Backup, WhereTheInterpreterCannotRunTheScriptTheProgramCopiesAsXcopyWould) {
  run.sim.given.interpreterRunsCarriedScripts = false;
  for (const char* file : {"music\\track.mp3", "Music Old\\track.mp3", "a0001\\notes.TXT copy",
                           "a0001\\notes.txt", "deep\\er\\a0009c.jpg", "cover.bmp"}) {
    run.sim.fs.AddFile(run.hostData + file, file);
  }
  run.sim.fs.AddFolder(run.hostData + "empty\\inside");
  run.sim.fs.AddFile(Saved() + "z0009\\z0009c.jpg", "an older back-up's");
  run.Run("makebackup");
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  EXPECT_TRUE(run.sim.seen.messages.empty()) << "complete: " << run.sim.seen.messages.front();
  const std::vector<std::string> excluded(kBackupExclusions.begin(), kBackupExclusions.end());
  run.sim.fs.AddFile("E:\\Xcopy\\z0009\\z0009c.jpg", "an older back-up's");
  run.sim.fs.CopyTree(run.hostData, "E:\\Xcopy", excluded);
  EXPECT_EQ(run.sim.fs.Snapshot(Saved()), run.sim.fs.Snapshot("E:\\Xcopy"));
  EXPECT_FALSE(run.sim.fs.Exists(Saved() + "empty")) << "a folder without files stays behind";
  EXPECT_TRUE(run.sim.fs.IsFolder(Saved() + "Music Old")) << "as xcopy makes it, left out or not";
  std::string list;
  for (const char* entry : kBackupExclusions) list += std::string(entry) + "\r\n";
  EXPECT_EQ(list, ExclusionList(run.sim.given.resources[kResBackupScript]))
      << "the entries the script writes";
}

TEST_F(Backup, OnlyCardFoldersWithTheirPictureAreCounted) {
  const std::function<void(SimRun&)> strays[] = {
      [](SimRun& r) { r.sim.fs.AddFolder(r.hostData + "a0003"); },             // no picture
      [](SimRun& r) { r.sim.fs.AddFile(r.hostData + "c0004", "not a card"); },  // a plain file
  };
  for (const auto& addStray : strays) {
    SimRun fresh;
    fresh.sim.fs.AddFile(fresh.hostData + "a0001\\a0001c.jpg", "card one");
    InstallBackupScript(fresh.sim, backupSeconds);
    addStray(fresh);
    fresh.Run("makebackup");
    EXPECT_TRUE(fresh.sim.seen.messages.empty()) << "a complete back-up: " << fresh.sim.seen.messages.front();
  }
}

TEST_F(Backup, APictureThatDiffersCountsAsNotSaved) {
  run.sim.fs.AddFile(Saved() + "a0001\\a0001c.jpg", "older, longer copy", attr::kReadOnly);
  run.Run("makebackup");
  ASSERT_EQ(run.sim.seen.messages.size(), 1u);
  EXPECT_NE(run.sim.seen.messages[0].find("1 of 2 card pictures"), std::string::npos)
      << run.sim.seen.messages[0];
}

TEST_F(Backup, AHostFolderThatIsGoneIsReported) {
  run.given.registry.dataPath = "D:\\No Such Host\\";
  run.Run("makebackup");
  ASSERT_EQ(run.sim.seen.messages.size(), 1u);
  EXPECT_NE(run.sim.seen.messages[0].find("could not be read"), std::string::npos)
      << run.sim.seen.messages[0];
}

TEST_F(Backup, AMasterFolderTheInterpreterCannotSpellIsHandedItsShortForm) {
  const struct {
    std::string master, shortName, handed;
  } rows[] = {
      {"C:\\Cartes \xC5\x81\xC3\xB3" "d\xC5\xBA\\", "CARTES~1", "C:\\CARTES~1\\"},  // "Cartes Łódź"
      {"C:\\Sets 100%\\", "SETS10~1", "C:\\SETS10~1\\"},  // Wine's cmd eats the "%"
  };
  for (const auto& row : rows) {
    SimRun named(row.master);
    named.sim.fs.AddFile(named.hostData + "a0001\\a0001c.jpg", "card one");
    InstallBackupScript(named.sim, 3);
    named.WriteSettings("true\r\nfalse\r\n");
    named.sim.fs.SetShortName(named.master, row.shortName);
    named.Run("makebackup");
    ASSERT_EQ(named.sim.seen.messages.size(), 2u) << row.master << ": no report, the back-up worked";
    EXPECT_EQ(named.sim.seen.messages[1],
              "\"" + row.handed + "SaveOrig.bat\" \"" + row.handed + "\"");
    EXPECT_EQ(named.sim.fs.Snapshot(named.master + "saveorig\\data"), named.HostFiles());
  }

  // A volume that keeps no short names: the script fails, and says so through the report.
  SimRun plain("C:\\Cartes \xC5\x81\xC3\xB3" "d\xC5\xBA\\");
  plain.sim.fs.AddFile(plain.hostData + "a0001\\a0001c.jpg", "card one");
  InstallBackupScript(plain.sim, 3);
  plain.Run("makebackup");
  EXPECT_TRUE(plain.EndedByItself()) << plain.seen.ended;
  ASSERT_EQ(plain.sim.seen.messages.size(), 1u);
  EXPECT_NE(plain.sim.seen.messages[0].find("0 of 1"), std::string::npos);
}

// The back-up script runs the host's value and its own folder's files as it finds
// them: where that would do harm, the user is told why and nothing is copied.
TEST_F(Backup, RefusesWhereTheScriptWouldRunStrangersCommandsOrCopyTheWrongFolder) {
  struct Refusal {
    const char* what;
    std::function<void(SimRun&)> arrange;
    const char* says;
  };
  const Refusal refusals[] = {
      {"a value with command syntax",
       [](SimRun& r) {
         r.sim.fs.AddFolder("D:\\Cards &calc\\Data");
         r.given.registry.dataPath = "D:\\Cards &calc\\Data\\";
       },
       "would run as commands"},
      {"a value without its closing backslash",
       [](SimRun& r) { r.given.registry.dataPath = "D:\\Pixadore\\Data"; }, "does not end in"},
      {"a findstr.bat from a set, in the back-up",
       [](SimRun& r) { r.sim.fs.AddFile(r.master + "saveorig\\data\\findstr.bat", "@calc"); },
       "saveorig\\data\\FINDSTR.BAT\" would run"},
      {"a reg.cmd from a set, in the back-up",
       [](SimRun& r) { r.sim.fs.AddFile(r.master + "saveorig\\data\\reg.cmd", "@calc"); },
       "saveorig\\data\\REG.CMD\" would run"},
      {"a hidden xcopy.exe in the back-up",
       [](SimRun& r) {
         r.sim.fs.AddFile(r.master + "saveorig\\data\\XCOPY.exe", "MZ", attr::kHidden);
       },
       "XCOPY.EXE\" would run"},
  };
  for (const Refusal& refusal : refusals) {
    SimRun fresh;
    InstallBackupScript(fresh.sim, backupSeconds);
    refusal.arrange(fresh);
    fresh.Run("makebackup");
    EXPECT_TRUE(fresh.EndedByItself()) << refusal.what << ": " << fresh.seen.ended;
    ASSERT_EQ(fresh.sim.seen.messages.size(), 1u) << refusal.what;
    EXPECT_NE(fresh.sim.seen.messages[0].find(refusal.says), std::string::npos)
        << refusal.what << ": " << fresh.sim.seen.messages[0];
    for (const std::string& started : fresh.sim.seen.started) {
      EXPECT_EQ(started.find("SaveOrig.bat"), std::string::npos) << refusal.what;
    }
    EXPECT_FALSE(fresh.sim.fs.Exists(fresh.master + "saveorig\\data\\exclude.txt")) << refusal.what;
  }
}

TEST(BackupOnANetworkFolder, SaysItNeedsADriveLetterAndDoesNothing) {
  sim::SimPlatform sim;
  RunState run;
  run.MyPath = "\\\\server\\cards\\My Card Sets\\";
  run.Quote = "\"";
  MakeBackup(sim.fs, sim, sim, run);
  ASSERT_EQ(sim.seen.messages.size(), 1u);
  EXPECT_NE(sim.seen.messages[0].find("drive letter"), std::string::npos) << sim.seen.messages[0];
  EXPECT_TRUE(sim.seen.started.empty());
  EXPECT_TRUE(run.WorkDone);
}
}  // namespace
}  // namespace td::test
