// Form4, the help window "Help": shows the user guide, written out beside the program,
// in a read-only rich-text view. The run lasts as long as the window.
#pragma once

#include <memory>

#include "forms/Form.h"
#include "run/RunState.h"

namespace td {

class Form4 : public Form {
 public:
  Form4(RunState& run, Platform& platform);
  ~Form4() override;

  void OnResize() override { Form_Resize(); }

 private:
  WindowSpec Design() const override;
  void AddControls(Window& window) override;
  void Form_Load() override;
  void Form_Unload() override;
  void Form_Resize();
  void Timer1_Timer();
  void ApplyLayout();

  RunState& run_;
  std::unique_ptr<RichTextView> RichTextBox1;  // the guide
  std::unique_ptr<Timer> Timer1;               // loads the guide 500 ms after the window

  bool LayoutFrozen = false;
};

}  // namespace td
