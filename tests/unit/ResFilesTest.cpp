#include <gtest/gtest.h>

#include "SimRun.h"
#include "host/ModResFiles.h"

namespace td::test {
namespace {

class ResFiles : public ::testing::Test {
 protected:
  int32_t WriteRes(int16_t id, const std::string& type, const std::string& path) {
    return WriteResFile(run.sim.fs, run.sim, id, type, path);
  }

  SimRun run;
  std::string target = "C:\\My Card Sets\\GetPXDRData.bat";
};

TEST_F(ResFiles, CarriedScriptsAreWrittenByteForByte) {
  EXPECT_EQ(WriteRes(kResDataPathScript, "CUSTOM", target), 0);
  EXPECT_EQ(run.sim.fs.ReadBytes(target), run.sim.given.resources[kResDataPathScript]);
  EXPECT_EQ(run.sim.fs.ReadBytes(target).size(), 778u);
  EXPECT_EQ(WriteRes(kResBackupScript, "CUSTOM", "C:\\My Card Sets\\SaveOrig.bat"), 0);
  EXPECT_EQ(run.sim.fs.ReadBytes("C:\\My Card Sets\\SaveOrig.bat").size(), 2507u);
}

TEST_F(ResFiles, LongerOldFileIsReplacedWhole) {
  run.sim.fs.AddFile(target, std::string(5000, 'x'));
  EXPECT_EQ(WriteRes(kResDataPathScript, "CUSTOM", target), 0);
  EXPECT_EQ(WriteRes(kResDataPathScript, "CUSTOM", target), 0);
  EXPECT_EQ(run.sim.fs.ReadBytes(target), run.sim.given.resources[kResDataPathScript]);
}

TEST_F(ResFiles, FailuresComeBackAsNumbersAndLeaveOldFilesAlone) {
  run.sim.fs.AddFile(target, "old", attr::kReadOnly);
  EXPECT_EQ(WriteRes(kResDataPathScript, "CUSTOM", target), err::kPathFileAccess);
  EXPECT_EQ(run.sim.fs.ReadBytes(target), "old");
  EXPECT_EQ(WriteRes(kResDataPathScript, "CUSTOM", "C:\\No Folder\\x.bat"), err::kPathNotFound);
  EXPECT_NE(WriteRes(999, "CUSTOM", "C:\\My Card Sets\\none.bin"), 0);
  EXPECT_NE(WriteRes(kResDataPathScript, "OTHER", "C:\\My Card Sets\\none.bin"), 0);
  EXPECT_FALSE(run.sim.fs.Exists("C:\\My Card Sets\\none.bin"));
}

}  // namespace
}  // namespace td::test
