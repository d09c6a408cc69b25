#include "forms/Form.h"

namespace td {

namespace {

constexpr double kMinWidth = 3200;
constexpr double kMinHeight = 4800;

}  // namespace

Form::Form(Platform& platform) : platform_(platform) {}

Form::~Form() = default;

void Form::Load() {
  if (loaded_) return;
  window_ = platform_.Screen().OpenWindow(Design(), *this);
  AddControls(*window_);
  loaded_ = true;
  Form_Load();
}

void Form::Show() {
  Load();
  window_->Show();
}

void Form::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  Form_Unload();
  window_->Destroy();
}

void Form::KeepMinimumSize() {
  Bounds b = window_->GetBounds();
  if (b.width < kMinWidth) window_->SetBounds({b.left, b.top, kMinWidth, b.height});
  b = window_->GetBounds();
  if (b.height < kMinHeight) window_->SetBounds({b.left, b.top, b.width, kMinHeight});
}

Bounds Form::ViewBounds() const {
  const Bounds window = window_->GetBounds();
  return {30, 0, window.width - 150, window.height - 490};
}

}  // namespace td
