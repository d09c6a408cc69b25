// "debug.ini" and what its two switches make of the copy action.
#include <gtest/gtest.h>

#include "SimRun.h"

namespace td::test {
namespace {

class SettingsAndCopy : public ::testing::Test {
 protected:
  SettingsAndCopy() { run.AddSet("GoldSet"); }
  std::string Command() const {
    return "Xcopy /s /y \"C:\\My Card Sets\\GoldSet\\data\" \"D:\\Pixadore\\Data\\\"";
  }
  bool Copied() const { return !run.HostFiles().empty(); }
  bool CopyScriptKept() const { return run.sim.fs.Exists(run.master + "XcopyCmd.bat"); }

  SimRun run;
};

TEST_F(SettingsAndCopy, NoSettingsFileRunsTheCopy) {
  run.Run("GoldSet");
  EXPECT_EQ(run.sim.seen.started.back(), Command());
  EXPECT_TRUE(Copied());
  EXPECT_TRUE(run.sim.seen.messages.empty());
}

TEST_F(SettingsAndCopy, DebugModeShowsTheCommandInsteadOfRunningIt) {
  run.WriteSettings("TRUE\r\nfalse\r\n");
  run.Run("GoldSet");
  EXPECT_EQ(run.sim.seen.messages, std::vector<std::string>{Command()});
  EXPECT_FALSE(Copied());
  EXPECT_EQ(run.sim.seen.started.size(), 1u);
  EXPECT_FALSE(CopyScriptKept());
  EXPECT_TRUE(run.EndedByItself());
}

TEST_F(SettingsAndCopy, WriteCopyScriptStoresTheCommandAndKeepsIt) {
  run.WriteSettings("no\r\ntrue\r\n");
  run.Run("GoldSet");
  EXPECT_EQ(run.sim.fs.ReadBytes(run.master + "XcopyCmd.bat"), Command() + "\r\n");
  EXPECT_TRUE(run.sim.seen.messages.empty());
  EXPECT_FALSE(Copied());
  EXPECT_FALSE(run.sim.fs.Exists(run.master + "GetPXDRData.bat"));

  // The command interpreter reads the file in the console's code page: "\x82" is its "é".
  SimRun accented("C:\\Caf\xC3\xA9 Sets\\");
  accented.AddSet("GoldSet");
  accented.WriteSettings("no\r\ntrue\r\n");
  accented.Run("GoldSet");
  EXPECT_EQ(accented.sim.fs.ReadBytes(accented.master + "XcopyCmd.bat"),
            "Xcopy /s /y \"C:\\Caf\x82 Sets\\GoldSet\\data\" \"D:\\Pixadore\\Data\\\"\r\n");
}

TEST_F(SettingsAndCopy, BothSwitchesWriteThenShow) {
  run.WriteSettings("True\rTrue");  // a lone CR ends a line too
  std::vector<bool> fileAtMessage;
  run.sim.given.onMessage = [&](const std::string&) { fileAtMessage.push_back(CopyScriptKept()); };
  run.Run("GoldSet");
  EXPECT_EQ(fileAtMessage, std::vector<bool>{true});
  EXPECT_TRUE(CopyScriptKept());
  EXPECT_FALSE(Copied());
}

TEST_F(SettingsAndCopy, OnlyAnExactTrueTurnsASwitchOn) {
  for (const char* settings : {"", " true\r\ntrue \r\n", "yes\r\n1\r\n", "\r\n"}) {
    run.WriteSettings(settings);
    run.Run("GoldSet");
    EXPECT_TRUE(run.sim.seen.messages.empty()) << settings;
    EXPECT_FALSE(CopyScriptKept()) << settings;
  }
  run.WriteSettings("true");  // one line: only the first switch
  run.Run("GoldSet");
  EXPECT_EQ(run.sim.seen.messages.size(), 1u);
  EXPECT_FALSE(CopyScriptKept());
}

TEST_F(SettingsAndCopy, ALoneLineFeedEndsNoLine) {
  run.WriteSettings("true\ntrue\n");  // one line: "true", LF, "true", LF
  run.Run("GoldSet");
  EXPECT_TRUE(run.sim.seen.messages.empty());
  EXPECT_FALSE(CopyScriptKept());
  EXPECT_TRUE(Copied());
}

TEST_F(SettingsAndCopy, CopyScriptThatCannotBeWrittenEndsWithTheReport) {
  run.WriteSettings("false\r\ntrue\r\n");
  run.sim.fs.AddFile(run.master + "XcopyCmd.bat", "old", attr::kReadOnly);
  run.Run("GoldSet");
  ASSERT_TRUE(run.sim.seen.report);
  EXPECT_EQ(run.sim.seen.report->Number(), err::kPathFileAccess);
  EXPECT_TRUE(run.sim.fs.Exists(run.master + "GetPXDRData.bat")) << "no clean-up after a failure";
}

TEST_F(SettingsAndCopy, BlanksInSetAndMasterStayInsideTheQuotes) {
  SimRun spaced("C:\\Card Sets\\");
  spaced.AddSet("Gold Set");
  spaced.given.registry.dataPath = "E:\\Host Data\\Cards";  // no trailing "\": it gets one
  spaced.Run("\"Gold Set\"");
  EXPECT_EQ(spaced.sim.seen.started.back(),
            "Xcopy /s /y \"C:\\Card Sets\\Gold Set\\data\" \"E:\\Host Data\\Cards\\\"");
}

TEST_F(SettingsAndCopy, AHugeSettingsFileIsReadOnlyAsFarAsItsTwoLines) {
  run.sim.fs.AddSparseFile(run.master + "debug.ini", "TRUE\r\nfalse\r\n", 8ull << 30);
  run.Run("GoldSet");
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  EXPECT_EQ(run.sim.seen.messages, std::vector<std::string>{Command()}) << "DebugMode is on";
}
}  // namespace
}  // namespace td::test
