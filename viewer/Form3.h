// Form3, the card viewer "Show Current Card Sets": shows, one after another in its card
// view, the pictures of the cards installed in the host's data folder. It
// fills itself one second after it opens, under its blinking progress window (Form2),
// and the run ends when the user closes it. Four timers on the one thread drive it:
// Timer1 keeps the progress window centred, Timer2 starts the fill, Timer3 blinks the
// progress window's label, Timer4 hides that window once the view is ready.
#pragma once

#include <memory>
#include <string>

#include "forms/Form.h"
#include "run/RunState.h"
#include "viewer/Form2.h"

namespace td {

class Form3 : public Form {
 public:
  Form3(RunState& run, Platform& platform);
  ~Form3() override;

  void OnResize() override { Form_Resize(); }

 private:
  WindowSpec Design() const override;
  void AddControls(Window& window) override;
  void Form_Load() override;
  void Form_Unload() override;
  void Form_Resize();
  void Command1_Click();
  void Timer1_Timer();
  void Timer2_Timer();
  void Timer3_Timer();
  void Timer4_Timer();

  void ApplyLayout();
  bool ProgressVisible() const;
  void CentreProgressWindow();
  void FinishFill();
  // The fill (CardImages.cpp). Each returns false once the viewer has been closed.
  bool LoadCardImages();
  bool ListCardFolders(const std::string& pattern);
  void ShowCard(const std::string& card);

  RunState& run_;
  std::unique_ptr<CardView> RichTextBox1;  // the cards
  std::unique_ptr<Button> Command1;            // "Show Cards": starts the fill at once
  std::unique_ptr<Timer> Timer1, Timer2, Timer3, Timer4;
  // The progress window, created hidden by Form_Load; it switches Timer3.
  std::unique_ptr<td::Form2> Form2;

  bool LayoutFrozen = false;
  Colour BlinkColor = 0;
  Colour BlinkColorA = 0;
  Colour BlinkColorB = 0;
  bool fillStarted_ = false;  // the Show Cards action runs once
  // The last card the fill added: it goes on the clipboard once the fill ends or stops.
  std::unique_ptr<Picture> lastCard_;
};

}  // namespace td
