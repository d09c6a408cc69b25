#include "viewer/Form2.h"

namespace td {

Form2::Form2(Platform& platform, Timer& blinkTimer) : Form(platform), blinkTimer_(blinkTimer) {}

WindowSpec Form2::Design() const {
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

void Form2::AddControls(Window& window) {
  ControlSpec label;
  label.bounds = {420, 90, 3945, 1335};
  label.caption = "building collection please wait";
  label.backColor = 0x000000;
  label.foreColor = kYellow;
  // "LED" is a font few machines have; a monospaced face of the same size stands in.
  label.font = FontSpec{"LED", 15.75, 400, {"Lucida Console", "Consolas", "Courier New"}};
  label.centred = true;
  Label1 = window.AddLabel(label);
}

void Form2::Form_Load() { blinkTimer_.SetEnabled(true); }

void Form2::Form_Unload() { blinkTimer_.SetEnabled(false); }

bool Form2::Visible() const { return Loaded() && window_->IsVisible(); }

Bounds Form2::GetBounds() const { return Loaded() ? window_->GetBounds() : Bounds{}; }

void Form2::Move(double left, double top) {
  if (!Loaded()) return;
  const Bounds now = window_->GetBounds();
  window_->SetBounds({left, top, now.width, now.height});
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

void Form2::SetLabelColor(Colour colour) {
  if (Loaded()) Label1->SetForeColor(colour);
}

}  // namespace td
