#include "help/Form4.h"

#include "launcher/MasterFolder.h"
#include "launcher/FormLayout.h"
#include "launcher/fTumbledeck.h"

namespace td {

namespace {

constexpr double kMinWidth = 3200;
constexpr double kMinHeight = 4800;

WindowSpec HelpWindowSpec() {
  WindowSpec spec;
  spec.caption = "Help";
  spec.border = Border::kSizable;
  spec.backColor = 0x000000;  // shows only in the margins around the view
  spec.clientWidth = 15750;   // replaced by Form_Load
  spec.clientHeight = 8010;
  return spec;
}

ControlSpec ViewSpec() {
  ControlSpec spec;
  spec.bounds = {30, 0, 15750, 8010};  // placed by the layout
  spec.backColor = 0xFFFFFF;
  return spec;
}

}  // namespace

Form4::Form4(fTumbledeck& main, Platform& platform) : main_(main), platform_(platform) {}

Form4::~Form4() = default;

void Form4::Show() {
  if (!loaded_) Load();
  window_->Show();
}

void Form4::Load() {
  window_ = platform_.Screen().OpenWindow(HelpWindowSpec(), *this);
  RichTextBox1 = window_->AddRichTextView(ViewSpec());
  Timer1 = window_->AddTimer(500, true, [this] { Timer1_Timer(); });
  loaded_ = true;
  Form_Load();
}

void Form4::Unload() {
  if (loaded_ && !unloaded_) Form_Unload();
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
  KeepMinimumSize(*window_, kMinWidth, kMinHeight);
  ApplyLayout();
  platform_.Screen().DoEvents();
}

void Form4::ApplyLayout() {
  const Bounds b = window_->GetBounds();
  RichTextBox1->SetBounds(ViewBounds(b));
}

// One shot: the guide arrives half a second after the window, so that the window is
// up at once. A guide that cannot be read ends the run with the report.
void Form4::Timer1_Timer() {
  Timer1->SetEnabled(false);
  RichTextBox1->LoadFile(main_.MyPath + names::kUserGuide);
  RichTextBox1->SetReadOnly(true);
  RichTextBox1->SetEnabled(true);
  platform_.Screen().DoEvents();
}

void Form4::Form_Unload() {
  unloaded_ = true;
  RichTextBox1->SetReadOnly(false);
  RichTextBox1->ClearText();
  LayoutFrozen = true;
  Timer1->SetEnabled(false);
  window_->Destroy();
  main_.WorkDone = true;
}

}  // namespace td
