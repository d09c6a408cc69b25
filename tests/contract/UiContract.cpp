// What both platforms promise about windows, timers, yields, pictures and the clipboard.
#include "ContractTest.h"

namespace td::contract {
namespace {

class CountingEvents : public WindowEvents {
 public:
  void OnResize() override { ++resizes; }
  void OnClose() override { ++closes; }
  int resizes = 0;
  int closes = 0;
};

WindowSpec TestWindow() {
  WindowSpec spec;
  spec.caption = "Contract";
  spec.clientWidth = 4680;
  spec.clientHeight = 1455;
  spec.backColor = 0;
  return spec;
}

void ExpectNear(const Bounds& got, const Bounds& want) {
  // One pixel is 15 twips at the usual resolution.
  EXPECT_NEAR(got.left, want.left, 15);
  EXPECT_NEAR(got.top, want.top, 15);
  EXPECT_NEAR(got.width, want.width, 15);
  EXPECT_NEAR(got.height, want.height, 15);
}

void YieldFor(Screen& screen, System& system, double seconds) {
  const double start = system.Seconds();
  while (system.Seconds() - start < seconds) screen.DoEvents();
}

TEST_F(Contract, WindowsKeepTheGeometryAndCaptionTheyAreGiven) {
  CountingEvents events;
  auto window = screen.OpenWindow(TestWindow(), events);
  EXPECT_FALSE(window->IsVisible()) << "windows open hidden";
  const Bounds first = window->GetBounds();
  EXPECT_GT(first.width, 4680) << "the outer size includes the frame";
  EXPECT_GT(first.height, 1455) << "and the caption";
  EXPECT_GT(screen.ScreenWidth(), 10900);

  window->SetBounds({1500, 450, 10900, 8500});
  ExpectNear(window->GetBounds(), {1500, 450, 10900, 8500});
  EXPECT_GE(events.resizes, 1) << "a new size raises a resize event";
  window->Show();
  EXPECT_TRUE(window->IsVisible());
  EXPECT_EQ(window->State(), WindowState::kNormal);
  window->SetCaption("READY !");
  EXPECT_EQ(window->Caption(), "READY !");
  window->Hide();
  EXPECT_FALSE(window->IsVisible());
  window->Destroy();
  EXPECT_FALSE(window->IsVisible());
  EXPECT_EQ(events.closes, 0) << "destroying a window raises no close event";
}

TEST_F(Contract, TimersTickOnlyWhileTheProgramYieldsAndNeverInsideTheirOwnTick) {
  CountingEvents events;
  auto window = screen.OpenWindow(TestWindow(), events);
  int ticks = 0;
  int nested = 0;
  bool inside = false;
  auto timer = window->AddTimer(50, true, [&] {
    ++ticks;
    if (inside) ++nested;
    inside = true;
    YieldFor(screen, system, 0.06);  // long enough for the next tick to fall due
    inside = false;
  });
  EXPECT_EQ(ticks, 0);
  YieldFor(screen, system, 0.6);
  EXPECT_GE(ticks, 3);
  EXPECT_LE(ticks, 12);
  EXPECT_EQ(nested, 0);
  timer->SetEnabled(false);
  EXPECT_FALSE(timer->Enabled());
  const int stopped = ticks;
  YieldFor(screen, system, 0.3);
  EXPECT_EQ(ticks, stopped);
}

TEST_F(Contract, TheEventLoopEndsWithTheLastWindow) {
  CountingEvents events;
  auto window = screen.OpenWindow(TestWindow(), events);
  int ticks = 0;
  auto timer = window->AddTimer(20, true, [&] {
    if (++ticks == 3) window->Destroy();
  });
  screen.RunUntilNoWindows();
  EXPECT_EQ(ticks, 3);
}

TEST_F(Contract, PicturesLoadFromJpegFilesOnly) {
  files.WriteBytes(dir + "card.jpg", TinyJpeg());
  files.WriteBytes(dir + "text.jpg", "no picture at all");
  files.MakeFolder(dir + "folder.jpg");
  const auto picture = pictures.LoadPicture(dir + "card.jpg");
  ASSERT_TRUE(picture);
  EXPECT_EQ(ErrorOf([&] { pictures.LoadPicture(dir + "missing.jpg"); }), err::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { pictures.LoadPicture(dir + "folder.jpg"); }), err::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { pictures.LoadPicture(dir + "text.jpg"); }), err::kInvalidPicture);
  // A header that claims 30,000 x 30,000 pixels: gigabytes once decoded.
  files.WriteBytes(dir + "huge.jpg", JpegClaiming(30000, 30000));
  EXPECT_EQ(ErrorOf([&] { pictures.LoadPicture(dir + "huge.jpg"); }), err::kInvalidPicture);
  files.WriteBytes(dir + "cut.jpg", TinyJpeg().substr(0, 120));  // ends before its frame
  EXPECT_EQ(ErrorOf([&] { pictures.LoadPicture(dir + "cut.jpg"); }), err::kInvalidPicture);
}

// A picture put on the clipboard goes beside what another program left there, as on
// Windows; only a clear before it leaves the picture alone.
TEST_F(Contract, TheClipboardHoldsNothingFromBeforeOnceCleared) {
  files.WriteBytes(dir + "card.jpg", TinyJpeg());
  const auto picture = pictures.LoadPicture(dir + "card.jpg");
  target->CopyTextAsAnotherProgram("another program's words");
  pictures.PutOnClipboard(*picture);
  EXPECT_EQ(target->ClipboardHolds(), (std::vector<std::string>{"picture", "text"}));
  target->CopyTextAsAnotherProgram("another program's words");
  pictures.ClearClipboard();
  EXPECT_TRUE(target->ClipboardHolds().empty());
  pictures.PutOnClipboard(*picture);
  EXPECT_EQ(target->ClipboardHolds(), (std::vector<std::string>{"picture"}));
}

}  // namespace
}  // namespace td::contract
