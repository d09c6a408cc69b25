// The "makebackup" command: preparation, the diagnostic modes and the wait for the
// back-up script's marker.
#include <gtest/gtest.h>

#include "SimRun.h"

namespace td::test {
namespace {

class Backup : public ::testing::Test {
 protected:
  Backup() {
    run.sim.fs.AddFile(run.hostData + "a0001\\a0001c.jpg", "card one");
    run.sim.fs.AddFile(run.hostData + "b0002\\b0002c.jpg", "card two");
    InstallBackupScript(run.sim, run.registry, backupSeconds);
  }
  std::string Command() const {
    return "\"C:\\My Card Sets\\SaveOrig.bat\" \"C:\\My Card Sets\\\"";
  }
  std::string Saved() const { return run.master + "saveorig\\data\\"; }
  bool BackupStarted() const {
    return std::find(run.sim.started.begin(), run.sim.started.end(), Command()) != run.sim.started.end();
  }

  SimRun run;
  double backupSeconds = 3;
};

TEST_F(Backup, CopiesTheHostsCardsAndEndsWhenTheMarkerIsGone) {
  run.Run("makebackup");
  EXPECT_TRUE(run.EndedByItself()) << run.ended;
  EXPECT_EQ(run.sim.fs.Snapshot(Saved()), run.HostFiles());
  EXPECT_FALSE(run.sim.fs.Exists(Saved() + "exclude.txt"));
  EXPECT_FALSE(run.sim.fs.Exists(run.master + "SaveOrig.bat"));
  EXPECT_GT(run.end, 5.0 + backupSeconds) << "the run waited for the script";
  EXPECT_LE(run.end, 5.0 + backupSeconds + 0.51) << "and ended at the next tick";
  EXPECT_TRUE(run.sim.messages.empty());
}

TEST_F(Backup, DroppedCommandFolderAnyCaseStartsTheBackup) {
  run.Run("C:\\Sets\\MAKEBACKUP");
  EXPECT_TRUE(BackupStarted());
  run.sim.started.clear();
  run.Run("\" MakeBackup \"");
  EXPECT_TRUE(BackupStarted());
}

TEST_F(Backup, DebugModeShowsFolderAndCommandBeforeTheScriptStarts) {
  run.WriteSettings("true\r\nfalse\r\n");
  std::vector<bool> startedAtMessage;
  run.sim.onMessage = [&](const std::string&) { startedAtMessage.push_back(BackupStarted()); };
  run.Run("makebackup");
  EXPECT_EQ(run.sim.messages, (std::vector<std::string>{run.master, Command()}));
  EXPECT_EQ(startedAtMessage, (std::vector<bool>{false, false}));
  EXPECT_EQ(run.sim.fs.Snapshot(Saved()), run.HostFiles());
}

TEST_F(Backup, WriteCopyScriptShowsTheCommandAndRunsNothing) {
  run.WriteSettings("false\r\ntrue\r\n");
  run.Run("makebackup");
  EXPECT_EQ(run.sim.messages, std::vector<std::string>{Command()});
  EXPECT_FALSE(BackupStarted());
  EXPECT_EQ(run.sim.fs.ReadBytes(Saved() + "exclude.txt"), "") << "the empty marker stays";
  EXPECT_TRUE(run.EndedByItself());
  EXPECT_NEAR(run.end, 5.5, 0.01);

  run.WriteSettings("TRUE\r\nTRUE\r\n");
  run.sim.messages.clear();
  run.Run("makebackup");
  EXPECT_EQ(run.sim.messages, (std::vector<std::string>{run.master, Command(), Command()}));
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
  EXPECT_TRUE(run.EndedByItself()) << run.ended;
  EXPECT_TRUE(BackupStarted());
  EXPECT_EQ(run.sim.fs.ReadBytes(run.master + "saveorig"), "not a folder");
}

TEST_F(Backup, UnwritableMasterFolderEndsWithTheReportAndLeavesScratchFiles) {
  run.sim.At(1.0, [&] { run.sim.fs.SetAccess(run.master, {.list = true, .change = false}); });
  run.Run("makebackup");
  ASSERT_TRUE(run.sim.report);
  EXPECT_EQ(run.sim.report->Number(), err::kFileNotFound);
  EXPECT_TRUE(run.sim.fs.Exists(run.master + "GetPXDRData.bat"));
  EXPECT_TRUE(run.sim.fs.Exists(run.master + "pxdrdatapath.txt"));
  EXPECT_FALSE(run.sim.fs.Exists(run.master + "saveorig"));
}

TEST_F(Backup, LongBackupKeepsTheRunWaitingWithoutEndingEarly) {
  run.sim.yieldCost = 0.01;
  InstallBackupScript(run.sim, run.registry, 1800);
  bool midway = false;
  run.sim.At(900, [&] {
    midway = true;
    EXPECT_TRUE(run.sim.fs.Exists(run.master + "SaveOrig.bat"));
    EXPECT_EQ(run.sim.Windows().size(), 1u);
  });
  run.Run("makebackup");
  EXPECT_TRUE(midway);
  EXPECT_TRUE(run.EndedByItself());
  EXPECT_GT(run.end, 1805);
}

TEST_F(Backup, AFolderNamedLikeTheMarkerIsNoMarker) {
  run.sim.fs.AddFolder(Saved() + "exclude.txt");
  run.sim.timeLimit = 120;
  run.sim.InstallProgram("saveorig.bat", [](sim::SimPlatform&, const std::vector<std::string>&) {
    // The script cannot write its list over a folder, and never gets to its end.
  });
  run.Run("makebackup");
  EXPECT_TRUE(run.EndedByItself()) << run.ended;
  EXPECT_LT(run.end, 6.0);
}

TEST_F(Backup, ClosedScriptWindowLeavesTheRunWaiting) {
  run.sim.yieldCost = 0.01;
  run.sim.timeLimit = 120;
  InstallBackupScript(run.sim, run.registry, -1);
  run.Run("makebackup");
  EXPECT_EQ(run.ended, "still running at the time limit");
  EXPECT_TRUE(run.sim.fs.Exists(Saved() + "exclude.txt"));
}

}  // namespace
}  // namespace td::test
