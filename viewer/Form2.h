// Form2, the progress window "Please Wait...": a small black tool window whose label
// blinks while the card viewer fills itself. The viewer owns it and drives everything
// it shows; the window's own load and unload only switch the viewer's blink timer on
// and off.
#pragma once

#include <memory>
#include <string>

#include "forms/Form.h"

namespace td {

// The label's colours: yellow at first; it blinks yellow and magenta while the viewer
// fills, white and red once the viewer is ready.
inline constexpr Colour kYellow = 0x00FFFF;
inline constexpr Colour kMagenta = 0xFF00FF;
inline constexpr Colour kWhite = 0xFFFFFF;
inline constexpr Colour kRed = 0x0000FF;

class Form2 : public Form {
 public:
  // `blinkTimer` is the viewer's Timer3, which outlives this window.
  Form2(Platform& platform, Timer& blinkTimer);

  // What the viewer does with the window. A window that is not loaded (never opened, or
  // closed by the user) is not visible, and every change to it is left undone.
  bool Visible() const;
  Bounds GetBounds() const;
  void Move(double left, double top);
  void Hide();
  void Focus();
  void SetCaption(const std::string& caption);
  void SetLabelCaption(const std::string& caption);
  void SetLabelColor(Colour colour);

 private:
  WindowSpec Design() const override;
  void AddControls(Window& window) override;
  void Form_Load() override;
  void Form_Unload() override;

  Timer& blinkTimer_;
  std::unique_ptr<Label> Label1;  // the blinking text
};

}  // namespace td
