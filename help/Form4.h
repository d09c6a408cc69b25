// The help window "Help": shows the user guide, written out beside the program, in a
// read-only rich-text view. The run lasts as long as the window.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace td {

class fTumbledeck;

class Form4 : public WindowEvents {
 public:
  Form4(fTumbledeck& main, Platform& platform);
  ~Form4() override;

  // Creates and loads the window when it is not loaded yet, then shows it modeless.
  void Show();
  // Runs the close steps; nothing when the window is not loaded.
  void Unload();

  void OnResize() override { Form_Resize(); }
  void OnClose() override { Form_Unload(); }

 private:
  void Load();
  void Form_Load();
  void Form_Resize();
  void Form_Unload();
  void Timer1_Timer();
  void ApplyLayout();

  fTumbledeck& main_;
  Platform& platform_;
  // Kept after an unload (dead, they ignore every call): the unload may run inside one
  // of the window's own events.
  std::unique_ptr<Window> window_;
  std::unique_ptr<RichTextView> RichTextBox1;
  std::unique_ptr<Timer> Timer1;

  bool LayoutFrozen = false;
  bool loaded_ = false;
  bool unloaded_ = false;
};

}  // namespace td
