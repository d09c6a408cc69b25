#include "launcher/fTumbledeck.h"

#include "platform/AsciiCase.h"
#include "run/MasterFolder.h"
#include "run/TextUtil.h"

namespace td {

namespace {

WindowSpec MainWindowSpec() {
  WindowSpec spec;
  spec.caption = "Random Tumbledeck";
  spec.border = Border::kFixedSingle;
  spec.maximizeBox = false;
  spec.backColor = 0xC0C0C0;
  spec.clientWidth = 3780;
  spec.clientHeight = 420;
  spec.startMinimized = true;
  return spec;
}

ControlSpec QuitButtonSpec() {
  ControlSpec spec;
  spec.bounds = {30, 30, 855, 345};
  spec.caption = "Quit";
  return spec;
}

// Files a run may leave in the master folder, deleted by the end-of-run tick in this
// order.
constexpr const char* kScratchFiles[] = {names::kDataPathScript, names::kDataPathAnswer,
                                         names::kBackupScript, names::kUserGuide};

}  // namespace

fTumbledeck::fTumbledeck(Platform& platform) : platform_(platform) {}

fTumbledeck::~fTumbledeck() = default;

void fTumbledeck::Load() {
  Screen& screen = platform_.Screen();
  window_ = screen.OpenWindow(MainWindowSpec(), *this);
  CmdEnd = window_->AddButton(QuitButtonSpec(), [this] { CmdEnd_Click(); });
  Timer1 = window_->AddTimer(500, true, [this] { Timer1_Timer(); });
  try {
    Form_Load();
  } catch (const RunError& error) {
    screen.ReportUnhandled(error);
  }
  // The end-of-run tick may already have closed the window inside one of the yields.
  if (!unloaded_) window_->Show();
}

void fTumbledeck::Form_Load() {
  WorkDone = false;
  DebugMode = false;
  WriteCopyScript = false;
  Quote = "\"";
  const Bounds here = window_->GetBounds();
  window_->SetBounds({0, 0, here.width, here.height});
  platform_.Screen().DoEvents();
  platform_.System().Randomize();
  GetAppInfo();
  ReadSettings();
  GetPXDRPath();
  ReadFiles();
  const std::vector<std::string> CmdArgs = GetCommandLine(1);

  SetName = "";
  if (CmdArgs.size() > 1 && !CmdArgs[1].empty()) {
    SetName = AfterLastBackslash(CmdArgs[1]);
    const std::string command = LowerAscii(TrimSpaces(SetName));
    if (command == "makebackup") return SaveOrig();
    if (command == "help") return ShowHelp();
    if (command == "showcards") return ShowCards();
  }

  if (SetName.empty()) {
    if (SetCount == 0) {
      WorkDone = true;
      return;
    }
    SetName = SetNames[static_cast<std::size_t>(SetOrder[1] - 1)];
  }
  if (!SetHasData()) {
    WorkDone = true;
    return;
  }
  CopySet();
  WorkDone = true;
}

void fTumbledeck::GetAppInfo() {
  const std::string exe = platform_.System().ExecutablePath();
  const auto slash = exe.rfind('\\');
  const std::string file = slash == std::string::npos ? exe : exe.substr(slash + 1);
  MyName = file.substr(0, file.rfind('.'));
  MyPath = slash == std::string::npos ? std::string() : exe.substr(0, slash);
  if (MyPath.empty() || MyPath.back() != '\\') MyPath += '\\';
}

bool fTumbledeck::SetHasData() {
  // "." and ".." (a dropped "C:\Sets\..") name the master folder or its parent, and
  // Windows drops a name's trailing dots and blanks: such names are no card set. Nor is
  // one that Windows reads as a path of its own: a typed "a/../.." climbs out of the
  // master folder, "D:x" names another drive.
  if (SetName.find_first_not_of(". ") == std::string::npos) return false;
  if (SetName.find_first_of("/:") != std::string::npos) return false;
  auto listing = platform_.FileSystem().List(MyPath + SetName + "\\data\\*.*");
  return listing->Next().has_value();
}

void fTumbledeck::CmdEnd_Click() { WorkDone = true; }

void fTumbledeck::Timer1_Timer() {
  platform_.Screen().DoEvents();
  if (!WorkDone) return;
  Timer1->SetEnabled(false);
  // A late script would write its answer after the clean-up, and keep its own file.
  if (dataPathScript_) dataPathScript_->End();
  RemoveScratchFiles();
  if (Form3) Form3->Unload();  // its progress window first
  if (Form4) Form4->Unload();
  window_->Destroy();
  unloaded_ = true;
}

void fTumbledeck::RemoveScratchFiles() {
  std::vector<std::string> files(std::begin(kScratchFiles), std::end(kScratchFiles));
  if (!WriteCopyScript) files.emplace_back(names::kCopyScript);
  for (const std::string& name : files) {
    try {
      platform_.FileSystem().RemoveFile(MyPath + name, IfMissing::kIgnore);
    } catch (const RunError&) {
      // A file that cannot go (read-only, in use) is no reason to keep the run alive,
      // nor to leave the other scratch files behind.
    }
  }
}

int RunTumbledeck(Platform& platform) {
  fTumbledeck main(platform);
  main.Load();
  platform.Screen().RunUntilNoWindows();
  return 0;
}

}  // namespace td
