#include "viewer/Form3.h"

#include <cmath>

#include "launcher/FormLayout.h"
#include "launcher/fTumbledeck.h"
#include "viewer/Form2.h"

namespace td {

namespace {

constexpr double kYellow = 65535;
constexpr double kMagenta = 16711935;
constexpr double kWhite = 16777215;
constexpr double kRed = 255;

constexpr double kMinWidth = 3200;
constexpr double kMinHeight = 4800;

WindowSpec ViewerWindowSpec() {
  WindowSpec spec;
  spec.caption = "Show Current Card Sets";
  spec.border = Border::kSizable;
  spec.backColor = 0x000000;
  spec.clientWidth = 12615;  // replaced by Form_Load
  spec.clientHeight = 6900;
  return spec;
}

ControlSpec ViewSpec() {
  ControlSpec spec;
  spec.bounds = {30, 0, 12465, 6410};  // placed by the layout
  spec.backColor = 0x000000;
  return spec;
}

ControlSpec ShowCardsButtonSpec() {
  ControlSpec spec;
  spec.bounds = {30, 4830, 1275, 285};
  spec.caption = "Show Cards";
  return spec;
}

}  // namespace

Form3::Form3(fTumbledeck& main, Platform& platform) : main_(main), platform_(platform) {}

Form3::~Form3() = default;

void Form3::Show() {
  if (!loaded_) Load();
  window_->Show();
}

void Form3::Load() {
  window_ = platform_.Screen().OpenWindow(ViewerWindowSpec(), *this);
  RichTextBox1 = window_->AddRichTextView(ViewSpec());
  Command1 = window_->AddButton(ShowCardsButtonSpec(), [this] { Command1_Click(); });
  Timer1 = window_->AddTimer(250, true, [this] { Timer1_Timer(); });
  Timer2 = window_->AddTimer(1000, true, [this] { Timer2_Timer(); });
  Timer3 = window_->AddTimer(500, true, [this] { Timer3_Timer(); });
  Timer4 = window_->AddTimer(5000, false, [this] { Timer4_Timer(); });
  loaded_ = true;
  Form_Load();
}

void Form3::Unload() {
  if (loaded_ && !unloaded_) Form_Unload();
}

void Form3::SetBlinkTimer(bool on) {
  if (Timer3) Timer3->SetEnabled(on);
}

void Form3::Form_Load() {
  LayoutFrozen = true;
  const Bounds now = window_->GetBounds();
  window_->SetBounds({now.left, 450, 10900, 8500});
  const Bounds sized = window_->GetBounds();
  window_->SetBounds({platform_.Screen().ScreenWidth() / 2 - sized.width / 2, sized.top,
                      sized.width, sized.height});
  CentreProgressWindow();
  ApplyLayout();
  platform_.Screen().DoEvents();
  LayoutFrozen = false;
}

void Form3::Form_Resize() {
  if (LayoutFrozen || window_->State() == WindowState::kMinimized) return;
  KeepMinimumSize(*window_, kMinWidth, kMinHeight);
  ApplyLayout();
  if (main_.Form2 && main_.Form2->Visible()) {
    CentreProgressWindow();
    main_.Form2->Focus();
  }
  platform_.Screen().DoEvents();
}

void Form3::ApplyLayout() {
  const Bounds b = window_->GetBounds();
  RichTextBox1->SetBounds(ViewBounds(b));
  const Bounds button = Command1->GetBounds();
  Command1->SetBounds({90, b.height - 850, button.width, button.height});
}

// Creates and loads the progress window, hidden, the first time.
void Form3::CentreProgressWindow() {
  if (!main_.Form2) main_.Form2 = std::make_unique<td::Form2>(main_, platform_);
  main_.Form2->Load();
  const Bounds viewer = window_->GetBounds();
  const Bounds progress = main_.Form2->GetBounds();
  main_.Form2->Move(viewer.width / 2 - progress.width / 2 + viewer.left,
                    viewer.height / 2 - progress.height / 2 + viewer.top);
}

void Form3::Command1_Click() {
  // A click on "Show Cards" and the one-shot timer both start the action: the second
  // start must neither fill the view again nor interleave with the first fill.
  if (fillStarted_) return;
  fillStarted_ = true;
  Command1->SetEnabled(false);
  Command1->SetVisible(false);
  BlinkColorA = kYellow;
  BlinkColorB = kMagenta;
  Timer3->SetEnabled(true);
  RichTextBox1->SetReadOnly(false);
  main_.Form2->Show();
  platform_.Screen().DoEvents();
  if (unloaded_ || !LoadCardImages()) return;  // closed meanwhile: touch nothing
  FinishFill();
}

void Form3::FinishFill() {
  RichTextBox1->SetReadOnly(true);
  RichTextBox1->SetEnabled(true);
  main_.Form2->SetLabelCaption("READY - PLEASE CLOSE THIS WINDOW");
  main_.Form2->SetCaption("READY !");
  BlinkColorA = kWhite;
  BlinkColorB = kRed;
  Timer4->SetEnabled(true);
  RichTextBox1->SetSelStart(1);  // behind the first picture: the view shows its start
  platform_.Screen().DoEvents();
}

void Form3::Timer1_Timer() {
  Timer1->SetEnabled(false);
  if (main_.Form2 && main_.Form2->Visible()) {
    CentreProgressWindow();
    main_.Form2->Focus();
  }
  platform_.Screen().DoEvents();
  if (!unloaded_) Timer1->SetEnabled(true);
}

void Form3::Timer2_Timer() {
  Timer2->SetEnabled(false);
  Command1_Click();
}

void Form3::Timer3_Timer() {
  BlinkColor = BlinkColor == BlinkColorB ? BlinkColorA : BlinkColorB;
  if (main_.Form2 && main_.Form2->Visible()) {
    main_.Form2->SetLabelColor(static_cast<int32_t>(std::lround(BlinkColor)));
    platform_.Screen().DoEvents();
  }
}

void Form3::Timer4_Timer() {
  Timer4->SetEnabled(false);
  Timer3->SetEnabled(false);
  if (main_.Form2 && main_.Form2->Visible()) main_.Form2->Hide();
  platform_.Screen().DoEvents();
}

void Form3::Form_Unload() {
  unloaded_ = true;
  RichTextBox1->SetReadOnly(false);
  RichTextBox1->ClearText();
  LayoutFrozen = true;
  Timer1->SetEnabled(false);
  if (main_.Form2) main_.Form2->Unload();
  window_->Destroy();
  main_.WorkDone = true;
}

}  // namespace td
