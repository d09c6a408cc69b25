#include "platform/sim/SimWindows.h"

#include <algorithm>

#include "platform/sim/SimPlatform.h"

namespace td::sim {

namespace {

double CaptionHeight(const WindowSpec& spec) {
  return spec.border == Border::kFixedToolWindow ? kCaptionTwips - 90 : kCaptionTwips;
}

}  // namespace

SimButton::SimButton(SimPlatform& machine, const ControlSpec& spec, std::function<void()> onClick)
    : bounds(spec.bounds), caption(spec.caption), machine_(machine), onClick_(std::move(onClick)) {}

void SimButton::Click() {
  if (visible && enabled) machine_.Dispatch(onClick_);
}

SimLabel::SimLabel(SimPlatform& machine, const ControlSpec& spec)
    : bounds(spec.bounds),
      caption(spec.caption),
      foreColor(spec.foreColor),
      backColor(spec.backColor),
      font(spec.font),
      machine_(machine) {}

void SimLabel::SetForeColor(Colour colour) {
  foreColor = colour;
  colors.push_back({machine_.Now(), colour});
}

SimRichTextView::SimRichTextView(SimPlatform& machine, const ControlSpec& spec)
    : bounds(spec.bounds), backColor(spec.backColor), machine_(machine) {}

void SimRichTextView::LoadFile(const std::string& path) { document = machine_.fs.ReadBytes(path); }

SimCardView::SimCardView(SimPlatform& machine, const ControlSpec& spec)
    : bounds(spec.bounds), backColor(spec.backColor), machine_(machine) {}

void SimCardView::ClearText() {
  pictures.clear();
  selection = {};
}

void SimCardView::AppendPicture(const Picture& picture) {
  const std::string& path = machine_.PathOf(picture);
  if (machine_.given.viewRefuses.count(path)) throw RunError(err::kInvalidClipboardFormat);
  pictures.push_back(path);
}

SimTimer::SimTimer(SimPlatform& machine, const void* timerOwner, int intervalMs, bool enabled,
                   std::function<void()> tick)
    : owner(timerOwner),
      interval(intervalMs / 1000.0),
      onTick(std::move(tick)),
      machine_(machine),
      enabled_(false) {
  machine_.Register(this);
  SetEnabled(enabled);
}

SimTimer::~SimTimer() { machine_.Unregister(this); }

void SimTimer::SetEnabled(bool enabled) {
  if (enabled && !enabled_) due = machine_.Now() + interval;
  enabled_ = enabled;
}

SimWindow::SimWindow(SimPlatform& machine, const WindowSpec& windowSpec, WindowEvents& events)
    : spec(windowSpec),
      caption(windowSpec.caption),
      state(windowSpec.startMinimized ? WindowState::kMinimized : WindowState::kNormal),
      machine_(machine),
      events_(events) {
  bounds.width = spec.clientWidth + 2 * kFrameTwips;
  bounds.height = spec.clientHeight + CaptionHeight(spec) + kFrameTwips;
  bounds.left = spec.clientLeft ? *spec.clientLeft - kFrameTwips : 1200;
  bounds.top = spec.clientTop ? *spec.clientTop - CaptionHeight(spec) : 1200;
  machine_.Register(this);
}

SimWindow::~SimWindow() { machine_.Unregister(this); }

double SimWindow::ClientWidth() const { return bounds.width - 2 * kFrameTwips; }
double SimWindow::ClientHeight() const { return bounds.height - CaptionHeight(spec) - kFrameTwips; }

void SimWindow::SetBounds(const Bounds& b) {
  const bool resized = b.width != bounds.width || b.height != bounds.height;
  bounds = b;
  if (resized && alive) machine_.Dispatch([this] { events_.OnResize(); });
}

void SimWindow::UserSetState(WindowState s) {
  if (s == state) return;
  state = s;
  if (alive) machine_.Dispatch([this] { events_.OnResize(); });
}

void SimWindow::Destroy() {
  alive = false;
  visible = false;
  machine_.Unregister(this);
}

std::unique_ptr<Button> SimWindow::AddButton(const ControlSpec& controlSpec,
                                             std::function<void()> onClick) {
  auto button = std::make_unique<SimButton>(machine_, controlSpec, std::move(onClick));
  buttons.push_back(button.get());
  return button;
}

std::unique_ptr<Label> SimWindow::AddLabel(const ControlSpec& controlSpec) {
  auto label = std::make_unique<SimLabel>(machine_, controlSpec);
  labels.push_back(label.get());
  return label;
}

std::unique_ptr<RichTextView> SimWindow::AddRichTextView(const ControlSpec& controlSpec) {
  auto view = std::make_unique<SimRichTextView>(machine_, controlSpec);
  views.push_back(view.get());
  return view;
}

std::unique_ptr<CardView> SimWindow::AddCardView(const ControlSpec& controlSpec) {
  auto view = std::make_unique<SimCardView>(machine_, controlSpec);
  cardViews.push_back(view.get());
  return view;
}

std::unique_ptr<Timer> SimWindow::AddTimer(int intervalMs, bool enabled, std::function<void()> onTick) {
  return std::make_unique<SimTimer>(machine_, this, intervalMs, enabled, std::move(onTick));
}

void SimWindow::UserClose() {
  if (!alive) return;
  machine_.Dispatch([this] { events_.OnClose(); });
  if (alive) Destroy();
}

void SimWindow::UserResize(double width, double height) {
  SetBounds({bounds.left, bounds.top, width, height});
}

void SimWindow::ClickButton(const std::string& buttonCaption) {
  for (SimButton* button : buttons) {
    if (button->caption == buttonCaption) return button->Click();
  }
}

}  // namespace td::sim
