#include "viewer/Form3.h"

#include "viewer/Richtext.h"

namespace td {

Form3::Form3(RunState& run, Platform& platform) : Form(platform), run_(run) {}

Form3::~Form3() = default;

WindowSpec Form3::Design() const {
  WindowSpec spec;
  spec.caption = "Show Current Card Sets";
  spec.border = Border::kSizable;
  spec.backColor = 0x000000;
  spec.clientWidth = 12615;  // replaced by Form_Load
  spec.clientHeight = 6900;
  return spec;
}

void Form3::AddControls(Window& window) {
  ControlSpec view;
  view.bounds = {30, 0, 12465, 6410};  // placed by the layout
  view.backColor = 0x000000;
  RichTextBox1 = window.AddCardView(view);
  // Read-only from the start, as the tools that read the view see it: the user never
  // changes the cards, not even while they are being added.
  RichTextBox1->SetReadOnly(true);
  ControlSpec button;
  button.bounds = {30, 4830, 1275, 285};
  button.caption = "Show Cards";
  Command1 = window.AddButton(button, [this] { Command1_Click(); });
  Timer1 = window.AddTimer(250, true, [this] { Timer1_Timer(); });
  Timer2 = window.AddTimer(1000, true, [this] { Timer2_Timer(); });
  Timer3 = window.AddTimer(500, true, [this] { Timer3_Timer(); });
  Timer4 = window.AddTimer(5000, false, [this] { Timer4_Timer(); });
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
  KeepMinimumSize();
  ApplyLayout();
  if (ProgressVisible()) {
    CentreProgressWindow();
    Form2->Focus();
  }
  platform_.Screen().DoEvents();
}

void Form3::ApplyLayout() {
  const Bounds b = window_->GetBounds();
  RichTextBox1->SetBounds(ViewBounds());
  const Bounds button = Command1->GetBounds();
  Command1->SetBounds({90, b.height - 850, button.width, button.height});
}

// The progress window is created while the viewer loads; no event before that finds it.
bool Form3::ProgressVisible() const { return Form2 && Form2->Visible(); }

// Creates and loads the progress window, hidden, the first time.
void Form3::CentreProgressWindow() {
  if (!Form2) Form2 = std::make_unique<td::Form2>(platform_, *Timer3);
  Form2->Load();
  const Bounds viewer = window_->GetBounds();
  const Bounds progress = Form2->GetBounds();
  Form2->Move(viewer.width / 2 - progress.width / 2 + viewer.left,
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
  Form2->Show();
  platform_.Screen().DoEvents();
  const bool filled = Loaded() && LoadCardImages();
  if (lastCard_) LeaveOnClipboard(platform_.Pictures(), *lastCard_);
  if (filled) FinishFill();  // else closed meanwhile: touch no window
}

void Form3::FinishFill() {
  RichTextBox1->SetReadOnly(true);
  RichTextBox1->SetEnabled(true);
  Form2->SetLabelCaption("READY - PLEASE CLOSE THIS WINDOW");
  Form2->SetCaption("READY !");
  BlinkColorA = kWhite;
  BlinkColorB = kRed;
  Timer4->SetEnabled(true);
  RichTextBox1->SetSelStart(1);  // behind the first picture: the view shows its start
  platform_.Screen().DoEvents();
}

void Form3::Timer1_Timer() {
  Timer1->SetEnabled(false);
  if (ProgressVisible()) {
    CentreProgressWindow();
    Form2->Focus();
  }
  platform_.Screen().DoEvents();
  if (Loaded()) Timer1->SetEnabled(true);
}

void Form3::Timer2_Timer() {
  Timer2->SetEnabled(false);
  Command1_Click();
}

void Form3::Timer3_Timer() {
  BlinkColor = BlinkColor == BlinkColorB ? BlinkColorA : BlinkColorB;
  if (ProgressVisible()) {
    Form2->SetLabelColor(BlinkColor);
    platform_.Screen().DoEvents();
  }
}

void Form3::Timer4_Timer() {
  Timer4->SetEnabled(false);
  Timer3->SetEnabled(false);
  if (ProgressVisible()) Form2->Hide();
  platform_.Screen().DoEvents();
}

void Form3::Form_Unload() {
  RichTextBox1->SetReadOnly(false);
  RichTextBox1->ClearText();
  LayoutFrozen = true;
  Timer1->SetEnabled(false);
  if (Form2) Form2->Unload();
  run_.WorkDone = true;
}

}  // namespace td
