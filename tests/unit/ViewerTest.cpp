// The "showcards" command: the card viewer, its fill and the progress window, over
// virtual time. The run starts at 0; the viewer opens after the five-second host-folder
// wait, and its one-shot timer starts the fill one second later.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "SimRun.h"

namespace td::test {
namespace {

// A JPEG file as far as the viewer reads one: its frame header (16 x 16), and a comment.
std::string StandInJpeg(const std::string& label) {
  const std::string comment = label.substr(0, 200);
  return std::string("\xFF\xD8\xFF\xFE\x00", 5) + static_cast<char>(comment.size() + 2) + comment +
         std::string("\xFF\xC0\x00\x0B\x08\x00\x10\x00\x10\x01\x01\x11\x00\xFF\xD9", 15);
}

class Viewer : public ::testing::Test {
 protected:
  void AddCard(const std::string& name) {
    run.sim.fs.AddFile(run.hostData + name + "\\" + name + "c.jpg", StandInJpeg(name));
  }
  void AddCards(int count, char letter = 'a') {
    for (int i = 1; i <= count; ++i) {
      AddCard(letter + std::string(4 - std::to_string(i).size(), '0') + std::to_string(i));
    }
  }
  sim::SimWindow* ViewerWindow() const { return run.sim.WindowByCaption("Show Current Card Sets"); }
  sim::SimWindow* Progress() const {
    sim::SimWindow* waiting = run.sim.WindowByCaption("Please Wait...");
    return waiting ? waiting : run.sim.WindowByCaption("READY !");
  }
  sim::SimCardView& View() const { return *ViewerWindow()->cardViews.at(0); }
  // The cards the view shows, in view order.
  std::vector<std::string> Shown() const {
    std::vector<std::string> cards;
    for (const std::string& path : View().pictures) {
      const auto end = path.rfind('\\');
      const auto start = path.rfind('\\', end - 1);
      cards.push_back(path.substr(start + 1, end - start - 1));
    }
    return cards;
  }
  // Runs "showcards"; `check` looks at the viewer at `when`, and the user closes the
  // viewer at `closeAt`, both in seconds from the start of this run.
  void RunViewer(double when, const std::function<void()>& check, double closeAt = 30) {
    const double start = run.sim.Now();
    run.sim.At(start + when, [&, when, check] {
      ASSERT_NE(ViewerWindow(), nullptr) << "the viewer is open at " << when << " s";
      checked = true;
      check();
    });
    run.sim.At(start + closeAt, [&] {
      if (ViewerWindow()) ViewerWindow()->UserClose();
    });
    run.Run("showcards");
  }

  SimRun run;
  bool checked = false;
};

TEST_F(Viewer, CardsAppearPassByPassInListingOrder) {
  for (const char* card : {"a0002", "b0001", "c0001", "a0001"}) AddCard(card);
  run.sim.clipboard["text"] = "words another program copied";
  RunViewer(8, [&] {
    EXPECT_EQ(Shown(), (std::vector<std::string>{"a0002", "a0001", "c0001", "b0001"}));
    EXPECT_TRUE(View().readOnly);
    EXPECT_TRUE(View().enabled);
    EXPECT_EQ(View().selection, (CardSelection{1, 1})) << "the caret stands behind the first card";
    EXPECT_EQ(run.sim.clipboard, (std::map<std::string, std::string>{
                                     {"picture", run.hostData + "b0001\\b0001c.jpg"}}))
        << "the clipboard holds the last card's picture, and nothing from before";
    EXPECT_EQ(Progress()->caption, "READY !");
    EXPECT_EQ(Progress()->labels.at(0)->caption, "READY - PLEASE CLOSE THIS WINDOW");
  });
  EXPECT_TRUE(checked);
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
}

TEST_F(Viewer, OnlyFoldersMatchingTheCardPatternsCount) {
  for (const char* card : {"A0001", "a", "a00001", "abcdef", "a0001.jpg", "d0001"}) AddCard(card);
  run.sim.fs.AddFile(run.hostData + "a0002", StandInJpeg("a plain file named like a card"));
  RunViewer(8, [&] { EXPECT_EQ(Shown(), (std::vector<std::string>{"A0001", "a"})); });
  EXPECT_TRUE(checked);
}

TEST_F(Viewer, EveryFailureCostsOnlyItsOwnCard) {
  AddCards(5);
  run.sim.fs.Erase(run.hostData + "a0001\\a0001c.jpg");                     // no picture
  run.sim.fs.AddFile(run.hostData + "a0002\\a0002c.jpg", "not a JPEG at all");  // no picture
  run.sim.given.viewRefuses.insert(run.hostData + "a0004\\a0004c.jpg");         // not inserted
  AddCard("c0001");
  AddCard("b0001");
  run.sim.given.clipboardRefuses.insert(run.hostData + "b0001\\b0001c.jpg");  // the last card
  RunViewer(8, [&] {
    EXPECT_EQ(Shown(), (std::vector<std::string>{"a0003", "a0005", "c0001", "b0001"}));
    EXPECT_EQ(Progress()->caption, "READY !");
  });
  EXPECT_TRUE(checked);
}

TEST_F(Viewer, ACardFolderThatGoesDuringTheFillCostsOnlyItself) {
  AddCards(40);
  run.sim.given.yieldCost = 0.05;  // the 30th card comes at about 7.5 s
  run.sim.At(7.0, [&] { run.sim.fs.Erase(run.hostData + "a0030"); });
  RunViewer(10, [&] {
    EXPECT_EQ(Shown().size(), 39u);
    EXPECT_EQ(Shown().at(28), "a0029");
    EXPECT_EQ(Shown().at(29), "a0031") << "the next card still comes";
  });
  EXPECT_TRUE(checked);
}

TEST_F(Viewer, AListingThatFailsEndsOnlyItsPass) {
  AddCards(4, 'a');
  AddCard("c0001");
  AddCard("b0001");
  run.sim.fs.FailListingsAfter(run.hostData, 2);
  RunViewer(8, [&] {
    EXPECT_EQ(Shown(), (std::vector<std::string>{"a0001", "a0002", "c0001", "b0001"}));
  });
  EXPECT_TRUE(checked);
}

TEST_F(Viewer, NoHostOrAnUnreadableOneGivesAnEmptyViewThatGetsReady) {
  // A host data path that is empty or relative must not list the current folder.
  run.sim.fs.AddFile("C:\\a0001\\a0001c.jpg", StandInJpeg("in the current folder"));
  for (std::optional<std::string> value : {std::optional<std::string>(" "),
                                           std::optional<std::string>()}) {
    run.given.registry.dataPath = value;
    checked = false;
    RunViewer(8, [&] {
      EXPECT_TRUE(View().pictures.empty());
      EXPECT_EQ(Progress()->caption, "READY !");
    });
    EXPECT_TRUE(checked);
  }
  run.given.registry.dataPath = run.hostData;
  AddCard("a0001");
  run.sim.fs.SetAccess(run.hostData, {.list = false, .change = true});
  checked = false;
  RunViewer(12, [&] {
    EXPECT_TRUE(View().pictures.empty());
    EXPECT_FALSE(Progress()->IsVisible()) << "hidden five seconds after it got ready";
  });
  EXPECT_TRUE(checked);
}

TEST_F(Viewer, WindowsOpenWhereTheyBelong) {
  RunViewer(5.5, [&] {
    sim::SimWindow& viewer = *ViewerWindow();
    const Bounds b = viewer.GetBounds();
    EXPECT_EQ(b.top, 450);
    EXPECT_EQ(b.width, 10900);
    EXPECT_EQ(b.height, 8500);
    EXPECT_EQ(b.left, run.sim.ScreenWidth() / 2 - 10900 / 2);
    EXPECT_TRUE(viewer.IsVisible());
    EXPECT_EQ(viewer.spec.backColor, 0u);
    EXPECT_EQ(View().backColor, 0u) << "black around the cards";
    EXPECT_TRUE(viewer.spec.programIcon);
    EXPECT_EQ(viewer.spec.border, Border::kSizable);
    EXPECT_EQ(View().bounds.left, 30);
    EXPECT_EQ(View().bounds.width, 10900 - 150);
    EXPECT_EQ(View().bounds.height, 8500 - 490);
    ASSERT_EQ(viewer.buttons.size(), 1u);
    EXPECT_EQ(viewer.buttons[0]->caption, "Show Cards");
    EXPECT_EQ(viewer.buttons[0]->bounds.left, 90);
    EXPECT_EQ(viewer.buttons[0]->bounds.top, 8500 - 850);
    EXPECT_TRUE(viewer.buttons[0]->visible);

    sim::SimWindow& progress = *Progress();
    EXPECT_FALSE(progress.IsVisible()) << "loaded hidden";
    EXPECT_EQ(progress.ClientWidth(), 4680);
    EXPECT_EQ(progress.ClientHeight(), 1455);
    EXPECT_EQ(progress.spec.border, Border::kFixedToolWindow);
    EXPECT_FALSE(progress.spec.showInTaskbar);
    const Bounds p = progress.GetBounds();
    EXPECT_EQ(p.left, b.width / 2 - p.width / 2 + b.left);
    EXPECT_EQ(p.top, b.height / 2 - p.height / 2 + b.top);
    const sim::SimLabel& label = *progress.labels.at(0);
    EXPECT_EQ(label.caption, "building collection please wait");
    EXPECT_EQ(label.foreColor, kYellow);
    EXPECT_EQ(label.backColor, 0u);
    ASSERT_TRUE(label.font);
    EXPECT_EQ(label.font->face, "LED");
    EXPECT_EQ(label.font->points, 15.75);
  });
  EXPECT_TRUE(checked);
}

TEST_F(Viewer, TheLabelBlinksWhileFillingThenWhenReadyAndStopsFiveSecondsLater) {
  AddCards(40);
  run.sim.given.yieldCost = 0.05;  // a fill of about two seconds
  double readyAt = -1;
  for (int i = 0; i < 200; ++i) {
    run.sim.At(6 + i * 0.05, [&] {
      if (readyAt < 0 && Progress() && Progress()->caption == "READY !") readyAt = run.sim.Now();
    });
  }
  std::vector<sim::SimLabel::ColorChange> colors;
  RunViewer(20, [&] {
    colors = Progress()->labels.at(0)->colors;
    EXPECT_FALSE(Progress()->IsVisible());
  });
  ASSERT_TRUE(checked);
  ASSERT_GT(readyAt, 7.0) << "the fill took a while";
  std::vector<Colour> filling, ready;
  for (const auto& change : colors) {
    (change.when < readyAt ? filling : ready).push_back(change.colour);
  }
  ASSERT_GE(filling.size(), 2u);
  for (std::size_t i = 0; i < filling.size(); ++i) {
    EXPECT_EQ(filling[i], i % 2 == 0 ? kMagenta : kYellow) << "tick " << i << " of the fill";
  }
  EXPECT_GE(ready.size(), 9u);
  EXPECT_LE(ready.size(), 11u);
  for (std::size_t i = 0; i < ready.size(); ++i) {
    EXPECT_EQ(ready[i], i % 2 == 0 ? kRed : kWhite) << "tick " << i << " when ready";
  }
  EXPECT_LT(colors.back().when, readyAt + 5.05);
}

TEST_F(Viewer, ResizingKeepsTheMinimumAndRecentresTheProgressWindow) {
  AddCards(40);
  run.sim.given.yieldCost = 0.05;
  RunViewer(6.5, [&] {
    sim::SimWindow& viewer = *ViewerWindow();
    ASSERT_TRUE(Progress()->IsVisible()) << "the fill runs";
    const int focused = Progress()->focusCount;
    viewer.UserResize(2000, 3000);
    EXPECT_EQ(viewer.GetBounds().width, 3200);
    EXPECT_EQ(viewer.GetBounds().height, 4800);
    EXPECT_EQ(View().bounds.width, 3200 - 150);
    EXPECT_EQ(View().bounds.height, 4800 - 490);
    EXPECT_EQ(viewer.buttons[0]->bounds.top, 4800 - 850);
    const Bounds p = Progress()->GetBounds();
    EXPECT_EQ(p.left, 3200 / 2 - p.width / 2 + viewer.GetBounds().left);
    EXPECT_GT(Progress()->focusCount, focused) << "re-centred and focused at once";

    viewer.UserSetState(WindowState::kMinimized);
    viewer.UserResize(5000, 6000);
    EXPECT_EQ(View().bounds.width, 3200 - 150) << "a minimized viewer keeps its layout";
    viewer.UserSetState(WindowState::kNormal);
    viewer.UserResize(12000, 9000);
    EXPECT_EQ(View().bounds.width, 12000 - 150);
    EXPECT_EQ(View().bounds.height, 9000 - 490);
  });
  EXPECT_TRUE(checked);
}

TEST_F(Viewer, ClosingTheProgressWindowStopsOnlyTheBlinking) {
  AddCards(40);
  run.sim.given.yieldCost = 0.05;
  std::size_t colorsAtClose = 0;
  sim::SimLabel* label = nullptr;
  run.sim.At(6.6, [&] {
    label = Progress()->labels.at(0);
    colorsAtClose = label->colors.size();
    Progress()->UserClose();
  });
  RunViewer(15, [&] {
    EXPECT_EQ(Shown().size(), 40u) << "the fill went on";
    EXPECT_TRUE(View().readOnly);
    EXPECT_EQ(Progress(), nullptr) << "and did not open the progress window again";
  });
  EXPECT_TRUE(checked);
  EXPECT_GT(colorsAtClose, 0u);
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
}

TEST_F(Viewer, ClosingTheViewerBeforeTheFillEndsTheRun) {
  AddCards(3);
  run.sim.At(5.5, [&] { ViewerWindow()->UserClose(); });
  run.Run("showcards");
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  EXPECT_LT(run.seen.end, 6.01) << "at the main window's next tick";
  EXPECT_TRUE(run.sim.clipboard.empty()) << "the fill never ran";
  for (const char* name : {"GetPXDRData.bat", "pxdrdatapath.txt"}) {
    EXPECT_FALSE(run.sim.fs.Exists(run.master + name)) << name;
  }
}

TEST_F(Viewer, ClosingTheViewerDuringTheFillStopsItAtTheNextYield) {
  AddCards(40);
  run.sim.given.yieldCost = 0.05;
  std::size_t shownAtClose = 0;
  std::map<std::string, std::string> clipboardAtClose;
  std::string lastShown;
  run.sim.At(7.0, [&] {
    shownAtClose = View().pictures.size();
    lastShown = View().pictures.back();
    ViewerWindow()->UserClose();
    clipboardAtClose = run.sim.clipboard;
  });
  run.Run("showcards");
  EXPECT_GT(shownAtClose, 0u);
  EXPECT_LT(shownAtClose, 40u);
  EXPECT_TRUE(clipboardAtClose.empty()) << "the fill leaves the clipboard alone";
  EXPECT_EQ(run.sim.clipboard, (std::map<std::string, std::string>{{"picture", lastShown}}))
      << "the last card added, and none after the close";
  EXPECT_TRUE(run.EndedByItself()) << run.seen.ended;
  EXPECT_LT(run.seen.end, 7.6);
}

TEST_F(Viewer, ASecondStartOfTheFillDoesNothing) {
  AddCards(30);
  run.sim.given.yieldCost = 0.05;
  run.sim.At(5.5, [&] { ViewerWindow()->ClickButton("Show Cards"); });
  RunViewer(10, [&] {
    std::vector<std::string> expected;
    for (int i = 1; i <= 30; ++i) expected.push_back("a00" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    EXPECT_EQ(Shown(), expected) << "each card once, in order, though the timer fired mid-fill";
  });
  EXPECT_TRUE(checked);
}

// Users select while a long fill runs, and another program holds the clipboard
// throughout: every card still goes in once, in pass order, with nothing between them,
// and the user's selection holds until the view is ready. A program that listens to the
// clipboard (a clipboard history) is told of the fill's last card alone.
TEST_F(Viewer, TheFillIsImmuneToTheUserAndToOtherPrograms) {
  AddCards(30);
  AddCard("c0001");
  AddCard("b0001");
  run.sim.given.yieldCost = 0.05;
  CardSelection held;
  run.sim.At(6.2, [this] { View().UserSelect(3, 1); });
  run.sim.At(7.2, [this, &held] { held = View().selection; });
  run.sim.given.clipboardBusy = true;
  run.sim.At(7, [this] { run.sim.given.clipboardBusy = false; });
  RunViewer(10, [&] {
    std::vector<std::string> expected;
    for (int i = 1; i <= 30; ++i) {
      const std::string card = "a00" + std::string(i < 10 ? "0" : "") + std::to_string(i);
      expected.push_back(run.hostData + card + "\\" + card + "c.jpg");
    }
    for (const char* card : {"c0001", "b0001"}) {
      expected.push_back(run.hostData + card + "\\" + card + "c.jpg");
    }
    EXPECT_EQ(View().pictures, expected);
    EXPECT_EQ(View().selection, (CardSelection{1, 1})) << "once filled, the view starts as ever";
  });
  EXPECT_TRUE(checked);
  EXPECT_EQ(held, (CardSelection{3, 1})) << "the user's selection held while cards went in";
  EXPECT_LE(run.sim.seen.clipboardChanges, 2);
}

}  // namespace
}  // namespace td::test
