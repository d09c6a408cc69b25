// Finding the host's data folder through the carried script and the exchange file.
#include <gtest/gtest.h>

#include "SimRun.h"
#include "host/ModResFiles.h"
#include "host/HostLayout.h"

namespace td::test {
namespace {

class HostDataPath : public ::testing::Test {
 protected:
  HostDataPath() { run.AddSet("GoldSet"); }
  std::string Destination() const {
    const std::string& command = run.sim.seen.started.back();
    const auto open = command.rfind('"', command.size() - 2);
    return command.substr(open + 1, command.size() - open - 2);
  }
  SimRun run;
};

TEST_F(HostDataPath, ScriptIsWrittenAndStartedWithTheQuotedMasterFolder) {
  std::string scriptAtStart;
  run.sim.InstallProgram("getpxdrdata.bat", [&](sim::SimPlatform& m, const std::vector<std::string>&, sim::SimProcess&) {
    scriptAtStart = m.fs.ReadBytes(run.master + "GetPXDRData.bat");
    m.fs.WriteBytes(run.master + "pxdrdatapath.txt", "D:\\Pixadore\\Data\\ \r\n");
  });
  run.sim.given.commandTail = "GoldSet";
  fTumbledeck main(run.sim);
  main.Load();
  EXPECT_EQ(run.sim.seen.started.front(),
            "\"C:\\My Card Sets\\GetPXDRData.bat\" \"C:\\My Card Sets\\\"");
  EXPECT_EQ(scriptAtStart, run.sim.given.resources[kResDataPathScript]);
  EXPECT_EQ(main.HostDataPath, "D:\\Pixadore\\Data\\") << "the blank before CR LF is dropped";
}

TEST_F(HostDataPath, TheScriptsAnswerIsUsedAsItComes) {
  run.given.registry.dataPath = "D:\\My  Host\tCards\\Data\\";
  run.Run("GoldSet");
  EXPECT_EQ(Destination(), "D:\\My Host Cards\\Data\\");
  run.given.registry.dataPath = "D:\\" + std::string(120, 'x') + "\\";
  run.Run("GoldSet");
  EXPECT_EQ(Destination(), "D:\\" + std::string(97, 'x') + "\\") << "cut, and its \"\\\" put back";
  const std::string accented = "D:\\" + std::string(96, 'x') + "\xC3\xA9";  // "é", the 100th letter
  run.given.registry.dataPath = accented + "tc\\";
  run.Run("GoldSet");
  EXPECT_EQ(Destination(), accented + "\\") << "the script cuts letters, not bytes";
}

TEST_F(HostDataPath, AnAnswerWithQuestionMarksFallsBackToTheRegistry) {
  const std::string host = "D:\\Cartes \xC5\x81\xC3\xB3" "d\xC5\xBA\\";  // "Łódź": not in 437
  run.sim.fs.AddFolder(host);
  run.given.registry.dataPath = host;
  run.Run("GoldSet");
  EXPECT_EQ(Destination(), host);
  EXPECT_EQ(run.sim.fs.Snapshot(host).size(), 2u) << "the set landed in the host's folder";
}

TEST_F(HostDataPath, AnAnswerWithCharactersNoNameHoldsIsNoFolder) {
  run.given.answer = "D:\\Pixadore\\x\"y\\..\\.. \r\n";  // ".." cancels the name with the quote
  run.Run("GoldSet");
  EXPECT_EQ(Destination(), run.hostData) << "the registry's folder";
  run.given.registry.dataPath = "D:\\Gone\\";
  run.sim.seen.started.clear();
  run.Run("GoldSet");
  EXPECT_EQ(run.sim.seen.started.size(), 1u) << "the answer as it is: no copy starts";
}

TEST_F(HostDataPath, AnAnswerThatNamesNoFolderFallsBackToTheRegistry) {
  run.sim.fs.AddFolder("D:\\Host  Data");
  run.given.registry.dataPath = "D:\\Host  Data";  // a run of blanks, and no trailing "\"
  run.Run("GoldSet");
  EXPECT_EQ(Destination(), "D:\\Host  Data\\");
  EXPECT_FALSE(run.sim.fs.Exists("D:\\Host Data")) << "no look-alike folder";
}

// An interpreter that cannot run the script's loop (Wine 10's) answers "~1,100": the
// program reads the value as the script would have, its words joined by single blanks,
// and only then as it stands.
TEST_F(HostDataPath, WithoutTheScriptsAnswerTheValueIsReadAsTheScriptWould) {
  run.sim.given.interpreterRunsCarriedScripts = false;
  run.given.registry.dataPath = "D:\\My  Host\tCards\\Data\\";
  run.sim.fs.AddFolder("D:\\My Host Cards\\Data");
  run.Run("GoldSet");
  EXPECT_EQ(Destination(), "D:\\My Host Cards\\Data\\");
  run.given.registry.dataPath = "D:\\Pixadore  Two\\Data\\";
  run.sim.fs.AddFolder("D:\\Pixadore  Two\\Data");
  run.Run("GoldSet");
  EXPECT_EQ(Destination(), "D:\\Pixadore  Two\\Data\\") << "no folder of the joined name";
}

TEST_F(HostDataPath, AUsableAnswerIsKeptAndAnUnusableValueIsNotTaken) {
  // The script answers another existing folder than the registry holds: its answer wins.
  run.sim.fs.AddFolder("D:\\Other\\");
  run.sim.InstallProgram("getpxdrdata.bat", [&](sim::SimPlatform& m, const std::vector<std::string>&,
                                                sim::SimProcess&) {
    m.fs.WriteBytes(run.master + "pxdrdatapath.txt", "D:\\Other\\ \r\n");
  });
  run.sim.given.commandTail = "GoldSet";
  run.sim.SetRegistryText(kHostRegistryKey, kHostRegistryValue, run.hostData);
  {
    fTumbledeck main(run.sim);
    main.Load();
    EXPECT_EQ(main.HostDataPath, "D:\\Other\\");
  }
  // A drive-relative value is no usable answer and is not taken: nothing is copied.
  run.given.registry.dataPath = "D:Pixadore\\Data\\";
  run.sim.seen.started.clear();
  run.Run("GoldSet");
  EXPECT_EQ(run.sim.seen.started.size(), 1u);
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  // A value that names no folder is not taken either: the script's answer stays, and
  // the copy makes the folder, as it always did.
  run.given.registry.dataPath = "D:\\Gone\\";
  run.sim.seen.started.clear();
  run.Run("GoldSet");
  EXPECT_EQ(Destination(), "D:\\Gone\\");
}

TEST_F(HostDataPath, ExchangeFileIsReadInTheConsoleCodePage) {
  run.given.registry.dataPath = "D:\\Cartes \xC3\xA0 jouer\\";  // "à" is 0x85 in the console's code page
  run.Run("GoldSet");
  EXPECT_EQ(Destination(), "D:\\Cartes \xC3\xA0 jouer\\");
}

// A busy machine, or a scanner that holds the new script up: the host is registered, so
// the run goes on with the value, and the late script leaves nothing behind.
TEST_F(HostDataPath, ALateAnswerGivesWayToTheRegistryValueAndLeavesNoFile) {
  struct Late {
    const char* what;
    double delay;     // when the script answers; never when negative
    bool emptyFirst;  // an empty answer file stands there at the end of the wait
  };
  for (const Late late : {Late{"never answers", -1, false}, Late{"answers at 6 s", 6, false},
                          Late{"answer still empty", 6, true}}) {
    run.given.scriptDelay = late.delay;
    if (late.emptyFirst) {
      run.sim.At(run.sim.Now() + 1, [&] { run.sim.fs.WriteBytes(run.master + "pxdrdatapath.txt", ""); });
    }
    run.Run("GoldSet");
    EXPECT_TRUE(run.EndedByItself()) << late.what << ": " << run.seen.ended;
    EXPECT_EQ(Destination(), run.hostData) << late.what;
    EXPECT_EQ(run.HostFiles().size(), 2u) << late.what << ": the set landed";
    EXPECT_EQ(run.MasterFiles(), (std::vector<std::string>{"Tumbledeck.exe", "GoldSet"}))
        << late.what << ": no scratch file, not even the late answer";
  }
}

TEST_F(HostDataPath, NoAnswerAndNoUsableValueEndsWithFileNotFound) {
  run.given.scriptDelay = -1;
  run.given.registry.dataPath = "D:\\Gone\\";
  run.sim.seen.started.clear();
  run.Run("GoldSet");
  ASSERT_TRUE(run.sim.seen.report);
  EXPECT_EQ(run.sim.seen.report->Number(), err::kFileNotFound);
  EXPECT_NEAR(run.seen.end, 5.0, 0.01) << "not awaited beyond the fixed wait";
  EXPECT_EQ(run.sim.seen.started.size(), 1u);
  EXPECT_TRUE(run.sim.fs.Exists(run.master + "GetPXDRData.bat")) << "the scratch files stay";
}

TEST_F(HostDataPath, AnswerLeftByAnEarlierRunIsNotTakenForThisRunsAnswer) {
  run.sim.fs.AddFolder("D:\\Stale");
  run.sim.fs.AddFile(run.master + "pxdrdatapath.txt", "D:\\Stale\\ \r\n");
  run.given.scriptDelay = -1;
  run.Run("GoldSet");
  EXPECT_EQ(Destination(), run.hostData);
  EXPECT_TRUE(run.sim.fs.Snapshot("D:\\Stale").empty());
}

TEST_F(HostDataPath, AnswerThatCannotBeReplacedEndsTheRunBeforeTheScriptStarts) {
  run.sim.fs.AddFile(run.master + "pxdrdatapath.txt", "D:\\Stale\\ \r\n", attr::kReadOnly);
  run.Run("GoldSet");
  ASSERT_TRUE(run.sim.seen.report);
  EXPECT_EQ(run.sim.seen.report->Number(), err::kPathFileAccess);
  EXPECT_TRUE(run.sim.seen.started.empty());
}

TEST_F(HostDataPath, EmptyAnswerIsAnErrorEmptyPathCopiesNothing) {
  run.sim.InstallProgram("getpxdrdata.bat", [&](sim::SimPlatform& m, const std::vector<std::string>&, sim::SimProcess&) {
    m.fs.WriteBytes(run.master + "pxdrdatapath.txt", "");
  });
  run.sim.given.commandTail = "GoldSet";
  try {
    fTumbledeck main(run.sim);
    main.Load();
    FAIL() << "an empty exchange file must end the run";
  } catch (const sim::ProcessEnded&) {
    EXPECT_EQ(run.sim.seen.report->Number(), err::kInputPastEnd);
  }
}

TEST_F(HostDataPath, MissingHostPathIsStillShownAndWritten) {
  run.given.registry.dataPath = " ";  // the script answers with an empty path
  run.WriteSettings("true\r\ntrue\r\n");
  run.Run("GoldSet");
  const std::string command = "Xcopy /s /y \"C:\\My Card Sets\\GoldSet\\data\" \"\"";
  EXPECT_EQ(run.sim.seen.messages, std::vector<std::string>{command});
  EXPECT_EQ(run.sim.fs.ReadBytes(run.master + "XcopyCmd.bat"), command + "\r\n");

  run.given.registry.dataPath.reset();  // the script's own text: a relative path
  run.WriteSettings("true\r\nfalse\r\n");
  run.sim.seen.messages.clear();
  run.Run("GoldSet");
  EXPECT_EQ(run.sim.seen.messages,
            std::vector<std::string>{"Xcopy /s /y \"C:\\My Card Sets\\GoldSet\\data\" \"~1,100\""});
}

TEST_F(HostDataPath, MissingOrRelativeHostPathCopiesNothing) {
  run.given.registry.dataPath = " ";  // the script answers with an empty path
  run.Run("GoldSet");
  EXPECT_EQ(run.sim.seen.started.size(), 1u);
  EXPECT_TRUE(run.EndedByItself());
  run.given.registry.dataPath.reset();  // no registry value: the script leaves its own text
  run.Run("GoldSet");
  EXPECT_EQ(run.sim.seen.started.size(), 2u);
  EXPECT_FALSE(run.sim.fs.Exists("C:\\~1,100"));
}

TEST_F(HostDataPath, AValueTheScriptWouldRunAsCommandsIsTakenAndNoScriptRuns) {
  for (const std::string host : {"D:\\Cards &calc ^ 100%\\Data\\", "D:\\Cards 100%\\Data\\"}) {
    SimRun fresh;
    fresh.AddSet("GoldSet");
    fresh.sim.fs.AddFolder(host);
    fresh.given.registry.dataPath = host;
    fresh.Run("GoldSet");
    ASSERT_EQ(fresh.sim.seen.started.size(), 1u) << host << ": the copy, and no script";
    EXPECT_EQ(fresh.sim.fs.Snapshot(host).size(), 2u) << host;
  }
}
}  // namespace
}  // namespace td::test
