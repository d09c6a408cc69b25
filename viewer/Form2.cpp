#include "viewer/Form2.h"

#include "launcher/fTumbledeck.h"
#include "viewer/Form3.h"

namespace td {

namespace {

WindowSpec ProgressWindowSpec() {
  WindowSpec spec;
  spec.caption = "Please Wait...";
  spec.border = Border::kFixedToolWindow;
  spec.minimizeBox = false;
  spec.maximizeBox = false;
  spec.showInTaskbar = false;
  spec.programIcon = false;
  spec.backColor = 0x000000;
  spec.clientWidth = 4680;
  spec.clientHeight = 1455;
  spec.clientLeft = 6375;  // the viewer moves it over itself before it is ever shown
  spec.clientTop = 4770;
  return spec;
}

ControlSpec LabelSpec() {
  ControlSpec spec;
  spec.bounds = {420, 90, 3945, 1335};
  spec.caption = "building collection please wait";
  spec.backColor = 0x000000;
  spec.foreColor = 0x00FFFF;  // yellow
  // "LED" is a font few machines have; a bold monospaced face of the same size stands in.
  spec.font = FontSpec{"LED", 15.75, 400, {"Lucida Console", "Consolas", "Courier New"}};
  spec.centred = true;
  return spec;
}

}  // namespace

Form2::Form2(fTumbledeck& main, Platform& platform) : main_(main), platform_(platform) {}

Form2::~Form2() = default;

void Form2::Load() {
  if (Loaded()) return;
  window_ = platform_.Screen().OpenWindow(ProgressWindowSpec(), *this);
  Label1 = window_->AddLabel(LabelSpec());
  loaded_ = true;
  Form_Load();
}

void Form2::Unload() {
  if (!Loaded()) return;
  loaded_ = false;
  Form_Unload();
  window_->Destroy();
}

void Form2::OnClose() { Unload(); }

void Form2::Form_Load() { SwitchViewerBlink(true); }

void Form2::Form_Unload() { SwitchViewerBlink(false); }

void Form2::SwitchViewerBlink(bool on) {
  if (main_.Form3) main_.Form3->SetBlinkTimer(on);
}

bool Form2::Visible() const { return Loaded() && window_->IsVisible(); }

Bounds Form2::GetBounds() const { return Loaded() ? window_->GetBounds() : Bounds{}; }

void Form2::Move(double left, double top) {
  if (!Loaded()) return;
  const Bounds now = window_->GetBounds();
  window_->SetBounds({left, top, now.width, now.height});
}

void Form2::Show() {
  if (Loaded()) window_->Show();
}

void Form2::Hide() {
  if (Loaded()) window_->Hide();
}

void Form2::Focus() {
  if (Loaded()) window_->Focus();
}

void Form2::SetCaption(const std::string& caption) {
  if (Loaded()) window_->SetCaption(caption);
}

void Form2::SetLabelCaption(const std::string& caption) {
  if (Loaded()) Label1->SetCaption(caption);
}

void Form2::SetLabelColor(int32_t rgb) {
  if (Loaded()) Label1->SetForeColor(rgb);
}

}  // namespace td
