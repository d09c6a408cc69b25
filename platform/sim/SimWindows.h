// Simulated windows, controls and timers: they keep what the program sets so that
// tests can read it, and let tests act as the user (click, resize, close).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/CardSelection.h"
#include "platform/Platform.h"

namespace td::sim {

class SimPlatform;

// Frame sizes of the simulated window system, twips.
constexpr double kFrameTwips = 60;
constexpr double kCaptionTwips = 345;

class SimButton : public Button {
 public:
  SimButton(SimPlatform& machine, const ControlSpec& spec, std::function<void()> onClick);
  void SetBounds(const Bounds& b) override { bounds = b; }
  void SetEnabled(bool e) override { enabled = e; }
  Bounds GetBounds() const override { return bounds; }
  void SetVisible(bool v) override { visible = v; }
  // The user clicks it; a hidden or disabled button ignores the click.
  void Click();

  Bounds bounds;
  std::string caption;
  bool visible = true;
  bool enabled = true;

 private:
  SimPlatform& machine_;
  std::function<void()> onClick_;
};

class SimLabel : public Label {
 public:
  SimLabel(SimPlatform& machine, const ControlSpec& spec);
  void SetCaption(const std::string& c) override { caption = c; }
  void SetForeColor(Colour colour) override;

  Bounds bounds;
  std::string caption;
  Colour foreColor = 0;
  Colour backColor = 0;
  struct ColorChange {
    double when;
    Colour colour;
  };
  std::vector<ColorChange> colors;  // every colour the program set, in order
  std::optional<FontSpec> font;

 private:
  SimPlatform& machine_;
};

// The help window's view: the RTF it shows.
class SimRichTextView : public RichTextView {
 public:
  SimRichTextView(SimPlatform& machine, const ControlSpec& spec);
  void SetBounds(const Bounds& b) override { bounds = b; }
  void SetEnabled(bool e) override { enabled = e; }
  void SetReadOnly(bool r) override { readOnly = r; }
  void ClearText() override { document.clear(); }
  void LoadFile(const std::string& path) override;

  Bounds bounds;
  Colour backColor = 0;
  bool enabled = true;
  bool readOnly = false;
  std::string document;  // the RTF last loaded

 private:
  SimPlatform& machine_;
};

// The viewer's view: its cards, and the user's selection.
class SimCardView : public CardView {
 public:
  SimCardView(SimPlatform& machine, const ControlSpec& spec);
  void SetBounds(const Bounds& b) override { bounds = b; }
  void SetEnabled(bool e) override { enabled = e; }
  void SetReadOnly(bool r) override { readOnly = r; }
  void ClearText() override;
  void SetSelStart(TextPosition position) override { selection = {position, position}; }
  void AppendPicture(const Picture& picture) override;

  // The user selects, as a click or the keys do.
  void UserSelect(TextPosition anchor, TextPosition active) { selection = {anchor, active}; }

  Bounds bounds;
  Colour backColor = 0;
  bool enabled = true;
  bool readOnly = false;
  CardSelection selection;
  std::vector<std::string> pictures;  // the cards' files, in view order

 private:
  SimPlatform& machine_;
};

class SimTimer : public Timer {
 public:
  SimTimer(SimPlatform& machine, const void* owner, int intervalMs, bool enabled,
           std::function<void()> onTick);
  ~SimTimer() override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }

  const void* owner;
  double interval;  // seconds
  double due = 0;
  bool ticking = false;
  int ticks = 0;
  std::function<void()> onTick;

 private:
  SimPlatform& machine_;
  bool enabled_;
};

class SimWindow : public Window {
 public:
  SimWindow(SimPlatform& machine, const WindowSpec& spec, WindowEvents& events);
  ~SimWindow() override;

  void SetCaption(const std::string& c) override { caption = c; }
  std::string Caption() const override { return caption; }
  Bounds GetBounds() const override { return bounds; }
  void SetBounds(const Bounds& b) override;
  WindowState State() const override { return state; }
  void Show() override { visible = true; }
  void Hide() override { visible = false; }
  bool IsVisible() const override { return visible && alive; }
  void Focus() override { ++focusCount; }
  void Destroy() override;

  std::unique_ptr<Button> AddButton(const ControlSpec& spec, std::function<void()> onClick) override;
  std::unique_ptr<Label> AddLabel(const ControlSpec& spec) override;
  std::unique_ptr<RichTextView> AddRichTextView(const ControlSpec& spec) override;
  std::unique_ptr<CardView> AddCardView(const ControlSpec& spec) override;
  std::unique_ptr<Timer> AddTimer(int intervalMs, bool enabled, std::function<void()> onTick) override;

  // --- The user's actions ---
  void UserClose();
  void UserResize(double width, double height);
  void UserSetState(WindowState s);  // minimizes, maximizes or restores it
  void ClickButton(const std::string& buttonCaption);

  // Client area, twips.
  double ClientWidth() const;
  double ClientHeight() const;

  WindowSpec spec;
  std::string caption;
  Bounds bounds;
  WindowState state;
  bool visible = false;
  bool alive = true;
  int focusCount = 0;
  std::vector<SimButton*> buttons;
  std::vector<SimLabel*> labels;
  std::vector<SimRichTextView*> views;
  std::vector<SimCardView*> cardViews;

 private:
  SimPlatform& machine_;
  WindowEvents& events_;
};

}  // namespace td::sim
