// Whole runs, start-up to the end of the process, on every path a run can take.
#include <gtest/gtest.h>

#include "SimRun.h"

namespace td::test {
namespace {

const std::vector<std::string> kScratch = {"GetPXDRData.bat", "pxdrdatapath.txt", "SaveOrig.bat",
                                           "How to Use.rtf", "XcopyCmd.bat"};

class SwitchRun : public ::testing::Test {
 protected:
  SwitchRun() {
    run.AddSet("GoldSet", {"a0001", "a0002"});
    run.AddSet("NewSet1", {"a0001", "b0007"});
    run.AddSet("Silver Set", {"c0003"});
  }
  void ExpectInstalled(const std::string& set, const std::vector<std::string>& cards) {
    EXPECT_EQ(run.HostFiles(), SimRun::CardFiles(set, cards));
  }
  void ExpectCleanEnd() {
    EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
    for (const auto& name : kScratch) EXPECT_FALSE(run.sim.fs.Exists(run.master + name)) << name;
  }
  std::string XcopyOf(const std::string& set) const {
    return "Xcopy /s /y \"" + run.master + set + "\\data\" \"" + run.hostData + "\"";
  }

  SimRun run;
};

TEST_F(SwitchRun, NoArgumentCopiesTheSetAtTheFirstShuffledPosition) {
  // Listing order GoldSet, NewSet1, Silver Set; draws 0.5 and 0: k = floor(3*0.5+1) = 2.
  run.sim.given.randomValues = {0.5f, 0.0f};
  run.Run();
  EXPECT_EQ(run.sim.seen.seeds, 1);
  EXPECT_EQ(run.sim.seen.started.back(), XcopyOf("NewSet1"));
  ExpectInstalled("NewSet1", {"a0001", "b0007"});
  ExpectCleanEnd();
  EXPECT_TRUE(run.sim.seen.messages.empty());
}

TEST_F(SwitchRun, EveryRunWaitsFiveSecondsAndEndsAtTheNextTick) {
  run.Run();
  EXPECT_GE(run.seen.loadEnd, 5.0);
  EXPECT_LT(run.seen.loadEnd, 5.1);
  EXPECT_NEAR(run.seen.end, 5.5, 0.01) << "the clean-up tick comes at the next 500 ms";
}

TEST_F(SwitchRun, TimerTicksDuringTheWaitChangeNothing) {
  bool checked = false;
  run.sim.At(3.2, [&] {
    checked = true;
    EXPECT_TRUE(run.sim.fs.Exists(run.master + "GetPXDRData.bat"));
    EXPECT_EQ(run.sim.Windows().size(), 1u);
  });
  run.Run();
  EXPECT_TRUE(checked);
  ExpectCleanEnd();
}

TEST_F(SwitchRun, DroppedPathWithQuotesAndBlanksCopiesThatSet) {
  run.Run("\"C:\\My Card Sets\\Silver Set\"");
  EXPECT_EQ(run.sim.seen.started.back(), XcopyOf("Silver Set"));
  ExpectInstalled("Silver Set", {"c0003"});
  EXPECT_EQ(run.sim.seen.randomDraws, 2) << "the catalogue is shuffled on every run";
  ExpectCleanEnd();
}

TEST_F(SwitchRun, OnlyTheLastComponentOfADroppedPathCounts) {
  run.sim.fs.AddFile("C:\\Elsewhere\\GoldSet\\Data\\z0001\\z0001c.jpg", "\xFF\xD8\xFF other");
  run.Run("C:\\Elsewhere\\GoldSet");
  ExpectInstalled("GoldSet", {"a0001", "a0002"});
  run.Run("GoldSet");  // no backslash at all
  EXPECT_EQ(run.sim.seen.started.back(), XcopyOf("GoldSet"));
}

TEST_F(SwitchRun, PathEndingInBackslashFallsBackToARandomSet) {
  run.sim.given.randomValues = {0.0f, 0.0f};
  run.Run("D:\\");
  EXPECT_EQ(run.sim.seen.started.back(), XcopyOf("GoldSet"));
}

TEST_F(SwitchRun, SetsLeftOutOfTheCatalogueCanStillBeNamed) {
  run.AddSet("saveorig", {"a0009"});
  run.AddSet("Spare.Set", {"b0009"});
  run.AddSet("help2", {"a0002"});
  run.Run("C:\\Anywhere\\saveorig");
  ExpectInstalled("saveorig", {"a0009"});
  run.Run("Spare.Set");
  EXPECT_EQ(run.sim.seen.started.back(), XcopyOf("Spare.Set"));
  run.Run("help2");
  EXPECT_EQ(run.sim.seen.started.back(), XcopyOf("help2")) << "help2 is a set name";
}

TEST_F(SwitchRun, CommandNamesOpenTheirWindowInsteadOfCopying) {
  run.AddSet("help");
  run.AddSet("showcards");
  const std::vector<std::pair<std::string, std::string>> commands = {
      {"HELP", "Help"}, {" help ", "Help"}, {"C:\\Sets\\Help", "Help"},
      {"showcards", "Show Current Card Sets"}, {"C:\\x\\ShowCards", "Show Current Card Sets"}};
  for (const auto& [tail, caption] : commands) {
    run.sim.seen.started.clear();
    bool open = false;
    run.sim.At(run.sim.Now() + 6, [&] {
      sim::SimWindow* window = run.sim.WindowByCaption(caption);
      open = window != nullptr;
      if (window) window->UserClose();
    });
    run.Run(tail);
    EXPECT_TRUE(open) << tail;
    ExpectCleanEnd();
    EXPECT_EQ(run.sim.seen.started.size(), 1u) << tail << ": only the data-path script starts";
    EXPECT_TRUE(run.HostFiles().empty()) << tail;
  }
}

TEST_F(SwitchRun, NamedSetWithoutDataFolderEndsQuietly) {
  run.sim.fs.AddFolder(run.master + "Empty Shell");
  run.Run("Empty Shell");
  run.Run("NoSuchSet");
  EXPECT_EQ(run.sim.seen.started.size(), 2u) << "no copy was started";
  EXPECT_TRUE(run.sim.seen.messages.empty());
  EXPECT_NEAR(run.seen.end, 5.5, 0.01);
  ExpectCleanEnd();
}

TEST_F(SwitchRun, TheEndOfTheRunDeletesEveryScratchFileItCan) {
  // Left behind by an earlier run; one of them cannot be deleted.
  for (const auto& name : kScratch) run.sim.fs.AddFile(run.master + name, "left behind");
  run.sim.fs.SetAttributes(run.master + "SaveOrig.bat", attr::kReadOnly);
  run.Run("GoldSet");
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  EXPECT_TRUE(run.sim.fs.Exists(run.master + "SaveOrig.bat"));
  for (const auto& name : kScratch) {
    if (name == "SaveOrig.bat") continue;
    EXPECT_FALSE(run.sim.fs.Exists(run.master + name)) << name;
  }
}

TEST_F(SwitchRun, NamedSetKeepsItsBlanks) {
  run.AddSet("Spaced", {"a0001"});
  run.AddSet(" Spaced", {"b0001"});
  run.Run(" Spaced");
  EXPECT_EQ(run.sim.seen.started.back(), XcopyOf(" Spaced"));
  ExpectInstalled(" Spaced", {"b0001"});
}

TEST_F(SwitchRun, ACopyThatFailsFailsInItsOwnWindow) {
  run.sim.fs.AddFile(run.hostData + "a0001", "a file where the card's folder goes");
  run.Run("GoldSet");
  EXPECT_EQ(run.sim.seen.started.back(), XcopyOf("GoldSet"));
  EXPECT_EQ(run.HostFiles().count("a0001"), 1u);
  ExpectCleanEnd();
}

TEST_F(SwitchRun, EmptyDataFolderStillPasses) {
  run.sim.fs.AddFolder(run.master + "Bare\\DATA");
  run.Run("Bare");
  EXPECT_EQ(run.sim.seen.started.back(), XcopyOf("Bare"));
}

TEST(SwitchRunEmpty, MasterFolderWithoutSetsDoesNothing) {
  SimRun run;
  run.Run();
  EXPECT_EQ(run.sim.seen.started.size(), 1u);
  EXPECT_TRUE(run.EndedByItself());
  EXPECT_NEAR(run.seen.end, 5.5, 0.01);
}

TEST_F(SwitchRun, MainWindowIsAMinimizedStripWithAQuitButton) {
  bool checked = false;
  run.sim.At(5.2, [&] {
    sim::SimWindow* window = run.sim.WindowByCaption("Random Tumbledeck");
    ASSERT_NE(window, nullptr);
    checked = true;
    EXPECT_TRUE(window->IsVisible());
    EXPECT_EQ(window->State(), WindowState::kMinimized);
    EXPECT_EQ(window->ClientWidth(), 3780);
    EXPECT_EQ(window->ClientHeight(), 420);
    EXPECT_EQ(window->GetBounds().left, 0);
    EXPECT_EQ(window->GetBounds().top, 0);
    ASSERT_EQ(window->buttons.size(), 1u);
    EXPECT_EQ(window->buttons[0]->caption, "Quit");
    EXPECT_EQ(window->buttons[0]->bounds.width, 855);
  });
  run.Run();
  EXPECT_TRUE(checked);
}

TEST(SwitchRunUnwritable, AScriptThatCannotBeWrittenEndsTheRunAndNoOldCopyRuns) {
  const std::function<void(SimRun&)> cases[] = {
      [](SimRun& run) { run.sim.fs.SetAccess(run.master, {.list = true, .change = false}); },
      [](SimRun& run) {
        run.sim.fs.AddFile(run.master + "GetPXDRData.bat", "@rem left here", attr::kReadOnly);
      },
  };
  for (const auto& makeUnwritable : cases) {
    SimRun run;
    makeUnwritable(run);
    run.Run();
    ASSERT_TRUE(run.sim.seen.report);
    EXPECT_EQ(run.sim.seen.report->Number(), err::kPathFileAccess) << "the script could not be written";
    EXPECT_TRUE(run.sim.seen.started.empty()) << "nothing was run";
    EXPECT_LT(run.seen.end, 0.1) << "the run ends at once";
  }
}

TEST_F(SwitchRun, UnlistableMasterFolderEndsWithTheReport) {
  run.sim.fs.SetAccess(run.master, {.list = false, .change = true});
  run.Run();
  ASSERT_TRUE(run.sim.seen.report) << "a catalogue that cannot be read is no empty catalogue";
  EXPECT_EQ(run.sim.seen.report->Number(), err::kPathFileAccess);
  EXPECT_NEAR(run.seen.end, 5.0, 0.01) << "after the host-folder wait, at the catalogue";
  EXPECT_EQ(run.sim.seen.started.size(), 1u);
  EXPECT_TRUE(run.sim.fs.Exists(run.master + "GetPXDRData.bat")) << "no clean-up after a failure";
}

// Only the name after the last "\" counts, and only where it names a folder in the master
// folder: a typed "a/../.." would climb out of it, "D:x" names another drive.
TEST_F(SwitchRun, ADotDotOrAPathAfterTheLastBackslashIsNoSet) {
  run.sim.fs.AddFile("C:\\data\\a0001\\a0001c.jpg", "the master folder's parent");
  run.sim.fs.AddFile(run.master + "data\\a0001\\a0001c.jpg", "the master folder's own");
  for (const char* tail : {"\"C:\\My Card Sets\\..\"", "..", ".", "C:\\My Card Sets\\. ",
                           "\"a/../..\"", "C:\\Sets\\D:GoldSet"}) {
    run.sim.seen.started.clear();
    run.Run(tail);
    EXPECT_EQ(run.sim.seen.started.size(), 1u) << tail << ": no copy";
    EXPECT_TRUE(run.HostFiles().empty()) << tail;
    EXPECT_TRUE(run.EndedByItself()) << tail;
  }
}
}  // namespace
}  // namespace td::test
