// The progress window "Please Wait...": a small black tool window whose label blinks
// while the card viewer fills itself. The viewer drives everything it shows; the
// window's own load and unload only switch the viewer's blink timer on and off.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace td {

class fTumbledeck;

class Form2 : public WindowEvents {
 public:
  Form2(fTumbledeck& main, Platform& platform);
  ~Form2() override;

  // Creates the window, hidden, and runs Form_Load; nothing when it is loaded already.
  void Load();
  // Runs the close steps and destroys the window; nothing when it is not loaded.
  void Unload();
  bool Loaded() const { return loaded_; }

  // What the viewer does with the window. A window that is not loaded (never opened, or
  // closed by the user) is not visible, and every change to it is left undone.
  bool Visible() const;
  Bounds GetBounds() const;
  void Move(double left, double top);
  void Show();
  void Hide();
  void Focus();
  void SetCaption(const std::string& caption);
  void SetLabelCaption(const std::string& caption);
  void SetLabelColor(int32_t rgb);

  void OnClose() override;  // the user's close box

 private:
  void Form_Load();
  void Form_Unload();
  void SwitchViewerBlink(bool on);

  fTumbledeck& main_;
  Platform& platform_;
  // Kept after an unload (dead, it ignores every call): the unload may run inside one of
  // the window's own events.
  std::unique_ptr<Window> window_;
  std::unique_ptr<Label> Label1;
  bool loaded_ = false;
};

}  // namespace td
