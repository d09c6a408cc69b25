#include "help/Form4.h"

#include "run/MasterFolder.h"

namespace td {

Form4::Form4(RunState& run, Platform& platform) : Form(platform), run_(run) {}

Form4::~Form4() = default;

WindowSpec Form4::Design() const {
  WindowSpec spec;
  spec.caption = "Help";
  spec.border = Border::kSizable;
  spec.backColor = 0x000000;  // shows only in the margins around the view
  spec.clientWidth = 15750;   // replaced by Form_Load
  spec.clientHeight = 8010;
  return spec;
}

void Form4::AddControls(Window& window) {
  ControlSpec view;
  view.bounds = {30, 0, 15750, 8010};  // placed by the layout
  view.backColor = 0xFFFFFF;
  RichTextBox1 = window.AddRichTextView(view);
  Timer1 = window.AddTimer(500, true, [this] { Timer1_Timer(); });
}

void Form4::Form_Load() {
  LayoutFrozen = true;
  Bounds b = window_->GetBounds();
  window_->SetBounds({b.left, 950, b.width, b.height});
  b = window_->GetBounds();
  window_->SetBounds({b.left, b.top, 15900, b.height});
  b = window_->GetBounds();
  window_->SetBounds({b.left, b.top, b.width, 8500});
  b = window_->GetBounds();
  // A screen narrower than the window leaves it sticking out on both sides.
  window_->SetBounds({platform_.Screen().ScreenWidth() / 2 - b.width / 2, b.top, b.width,
                      b.height});
  ApplyLayout();
  platform_.Screen().DoEvents();
  LayoutFrozen = false;
}

void Form4::Form_Resize() {
  if (LayoutFrozen || window_->State() == WindowState::kMinimized) return;
  KeepMinimumSize();
  ApplyLayout();
  platform_.Screen().DoEvents();
}

void Form4::ApplyLayout() {
  RichTextBox1->SetBounds(ViewBounds());
}

// One shot: the guide arrives half a second after the window, so that the window is
// up at once. A guide that cannot be read ends the run with the report.
void Form4::Timer1_Timer() {
  Timer1->SetEnabled(false);
  RichTextBox1->LoadFile(run_.MyPath + names::kUserGuide);
  RichTextBox1->SetReadOnly(true);
  RichTextBox1->SetEnabled(true);
  platform_.Screen().DoEvents();
}

void Form4::Form_Unload() {
  RichTextBox1->SetReadOnly(false);
  RichTextBox1->ClearText();
  LayoutFrozen = true;
  Timer1->SetEnabled(false);
  run_.WorkDone = true;
}

}  // namespace td
