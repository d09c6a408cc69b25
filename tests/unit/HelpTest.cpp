// The "help" command: the guide written beside the program, the help window over
// virtual time, and the end of the run when the user closes it. The run starts at 0;
// the window opens after the five-second host-folder wait.
#include <gtest/gtest.h>

#include "SimRun.h"
#include "host/ModResFiles.h"

namespace td::test {
namespace {

class Help : public ::testing::Test {
 protected:
  std::string Guide() const { return run.master + "How to Use.rtf"; }
  sim::SimWindow* HelpWindow() const { return run.sim.WindowByCaption("Help"); }
  sim::SimRichTextView& View() const { return *HelpWindow()->views.at(0); }
  // Schedules an action `after` seconds from now, when the window must be open.
  void While(double after, const std::function<void(sim::SimWindow&)>& action) {
    run.sim.At(run.sim.Now() + after, [this, after, action] {
      sim::SimWindow* window = HelpWindow();
      ASSERT_NE(window, nullptr) << "the help window is open " << after << " s in";
      ++checks;
      action(*window);
    });
  }
  void CloseAfter(double after) {
    While(after, [](sim::SimWindow& window) { window.UserClose(); });
  }

  SimRun run;
  int checks = 0;
};

TEST_F(Help, TheGuideArrivesHalfASecondAfterTheWindowAndGoesWithIt) {
  While(5.3, [&](sim::SimWindow& window) {
    EXPECT_EQ(run.sim.fs.ReadBytes(Guide()), run.sim.given.resources[kResUserGuide]) << "written out whole";
    EXPECT_TRUE(window.IsVisible());
    EXPECT_TRUE(View().document.empty()) << "not loaded before the first tick";
    const Bounds b = window.GetBounds();
    EXPECT_EQ(b.top, 950);
    EXPECT_EQ(b.width, 15900);
    EXPECT_EQ(b.height, 8500);
    EXPECT_EQ(b.left, run.sim.ScreenWidth() / 2 - 15900 / 2);
    EXPECT_EQ(window.spec.border, Border::kSizable);
    EXPECT_TRUE(window.spec.minimizeBox && window.spec.maximizeBox);
    EXPECT_EQ(window.spec.backColor, 0u);
    EXPECT_TRUE(window.spec.programIcon);
    EXPECT_EQ(View().backColor, 0xFFFFFFu) << "the guide on white";
    EXPECT_EQ(View().bounds.left, 30);
    EXPECT_EQ(View().bounds.top, 0);
    EXPECT_EQ(View().bounds.width, 15900 - 150);
    EXPECT_EQ(View().bounds.height, 8500 - 490);
  });
  While(5.6, [&](sim::SimWindow&) {
    EXPECT_EQ(View().document, run.sim.given.resources[kResUserGuide]);
    EXPECT_TRUE(View().readOnly);
    EXPECT_TRUE(View().enabled);
  });
  CloseAfter(7.8);
  run.Run("help");
  EXPECT_EQ(checks, 3);
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  EXPECT_NEAR(run.seen.end, 8.0, 0.01) << "ended at the main window's next tick";
  EXPECT_FALSE(run.sim.fs.Exists(Guide()));
  EXPECT_FALSE(run.sim.fs.Exists(run.master + "GetPXDRData.bat"));
}

TEST_F(Help, ClosingBeforeTheFirstTickNeverLoadsTheGuide) {
  std::string document = "untouched";
  While(5.2, [&](sim::SimWindow& window) {
    sim::SimRichTextView& view = View();
    window.UserClose();
    document = view.document;
  });
  run.Run("help");
  EXPECT_EQ(document, "");
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  EXPECT_LT(run.seen.end, 5.6);
  EXPECT_FALSE(run.sim.fs.Exists(Guide()));
}

TEST_F(Help, ResizingKeepsTheMinimumAndMinimizingKeepsTheLayout) {
  While(5.8, [&](sim::SimWindow& window) {
    window.UserResize(9000, 2000);
    EXPECT_EQ(window.GetBounds().height, 4800) << "only the height was too small";
    window.UserResize(1000, 2000);
    EXPECT_EQ(window.GetBounds().width, 3200);
    EXPECT_EQ(window.GetBounds().height, 4800);
    EXPECT_EQ(View().bounds.width, 3200 - 150);
    EXPECT_EQ(View().bounds.height, 4800 - 490);
    window.UserSetState(WindowState::kMinimized);
    window.UserResize(9000, 7000);
    EXPECT_EQ(View().bounds.width, 3200 - 150) << "nothing while minimized";
    window.UserSetState(WindowState::kMaximized);
    EXPECT_EQ(View().bounds.width, 9000 - 150) << "laid out again from the new size";
    EXPECT_EQ(View().bounds.height, 7000 - 490);
  });
  CloseAfter(6);
  run.Run("help");
  EXPECT_EQ(checks, 2);
}

// The screen's width counts in twips, at its resolution: a screen of many pixels at 200 %
// can be as narrow as a small one at 100 %.
TEST_F(Help, ANarrowScreenLeavesTheWindowStickingOutOnBothSides) {
  struct Screen {
    int pixels, dpi;
    double left;  // half the screen's twips less half the window's 15900
  };
  for (const Screen screen : {Screen{800, 96, 6000 - 7950}, Screen{1920, 144, 9600 - 7950},
                              Screen{1920, 192, 7200 - 7950}, Screen{1280, 120, 7680 - 7950}}) {
    run.sim.given.screenPixels = screen.pixels;
    run.sim.given.dpi = screen.dpi;
    checks = 0;
    While(5.2, [&](sim::SimWindow& window) {
      EXPECT_EQ(window.GetBounds().left, screen.left) << screen.pixels << " at " << screen.dpi;
    });
    CloseAfter(6);
    run.Run(" help ");
    EXPECT_EQ(checks, 2);
  }
}

TEST_F(Help, AGuideThatCannotBeWrittenShowsTheOlderCopyOrEndsTheRun) {
  run.sim.fs.AddFile(Guide(), "{\\rtf1 an older guide}", attr::kReadOnly);
  While(5.6, [&](sim::SimWindow&) { EXPECT_EQ(View().document, "{\\rtf1 an older guide}"); });
  CloseAfter(6);
  run.Run("HELP");
  EXPECT_EQ(checks, 2);
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;

  run.sim.fs.Erase(Guide());
  run.sim.given.resources.erase(kResUserGuide);
  run.Run("help");
  ASSERT_TRUE(run.sim.seen.report) << "no guide at all";
  EXPECT_EQ(run.sim.seen.report->Number(), err::kFileNotFound);
  EXPECT_TRUE(run.sim.fs.Exists(run.master + "GetPXDRData.bat")) << "no clean-up after it";
}

TEST_F(Help, EveryHelpRunWritesTheGuideAndDeletesItAgain) {
  for (const char* tail : {"help", "C:\\Sets\\Help"}) {
    bool written = false;
    While(5.3, [&](sim::SimWindow&) { written = run.sim.fs.Exists(Guide()); });
    CloseAfter(6);
    run.Run(tail);
    EXPECT_TRUE(written) << tail;
    EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
    EXPECT_FALSE(run.sim.fs.Exists(Guide())) << tail;
  }
}

}  // namespace
}  // namespace td::test
