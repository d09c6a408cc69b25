// Timers of a top-level window, ticking through its WM_TIMER messages.
#include <utility>

#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

class Win32Timer : public Timer {
 public:
  Win32Timer(const std::shared_ptr<WindowCore>& core, std::shared_ptr<TimerState> state)
      : core_(core), state_(std::move(state)) {
    if (state_->enabled) Start();
  }
  ~Win32Timer() override {
    if (auto core = core_.lock()) {
      if (core->hwnd) KillTimer(core->hwnd, state_->id);
      core->timers.erase(state_->id);
    }
  }
  Win32Timer(const Win32Timer&) = delete;
  Win32Timer& operator=(const Win32Timer&) = delete;

  void SetEnabled(bool enabled) override {
    state_->enabled = enabled;
    if (enabled) {
      Start();  // (re)starts the interval
    } else if (auto core = core_.lock(); core && core->hwnd) {
      KillTimer(core->hwnd, state_->id);
    }
  }
  bool Enabled() const override { return state_->enabled; }

 private:
  void Start() {
    auto core = core_.lock();
    // An interval of zero never ticks, as in the classic runtime.
    if (core && core->hwnd && state_->interval > 0) {
      SetTimer(core->hwnd, state_->id, state_->interval, nullptr);
    }
  }

  std::weak_ptr<WindowCore> core_;
  std::shared_ptr<TimerState> state_;
};

// Marks a timer as inside its tick for as long as the tick runs.
class InTick {
 public:
  explicit InTick(TimerState& state) : state_(state) { state_.inTick = true; }
  ~InTick() { state_.inTick = false; }
  InTick(const InTick&) = delete;
  InTick& operator=(const InTick&) = delete;

 private:
  TimerState& state_;
};

}  // namespace

std::unique_ptr<Timer> CreateTimer(const std::shared_ptr<WindowCore>& core, int intervalMs,
                                   bool enabled, std::function<void()> onTick) {
  auto state = std::make_shared<TimerState>();
  state->id = core->nextTimerId++;
  state->interval = intervalMs > 0 ? static_cast<UINT>(intervalMs) : 0;
  state->enabled = enabled;
  state->onTick = std::move(onTick);
  core->timers[state->id] = state;
  return std::make_unique<Win32Timer>(core, state);
}

void DeliverTimerTick(WindowCore& core, UINT_PTR id) {
  const auto found = core.timers.find(id);
  if (found == core.timers.end()) return;
  const auto keep = core.shared_from_this();
  const auto timer = found->second;  // the tick may drop its Timer object
  // A nested yield inside the tick must not run the same tick again.
  if (!timer->enabled || timer->inTick) return;
  const InTick guard(*timer);
  RunEvent(timer->onTick);
}

}  // namespace td::win32
