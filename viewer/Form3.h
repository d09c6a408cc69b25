// The card viewer "Show Current Card Sets": shows, one after another in a rich-text
// view, the pictures of the cards installed in the host's data folder. It fills itself
// one second after it opens, under the blinking progress window, and the run ends when
// the user closes it. Four timers on the one thread drive it.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace td {

class fTumbledeck;

class Form3 : public WindowEvents {
 public:
  Form3(fTumbledeck& main, Platform& platform);
  ~Form3() override;

  // Creates and loads the window when it is not loaded yet, then shows it modeless.
  void Show();
  // Runs the close steps; nothing when the window is not loaded.
  void Unload();
  // The blink timer, which the progress window's load and unload switch.
  void SetBlinkTimer(bool on);

  void OnResize() override { Form_Resize(); }
  void OnClose() override { Form_Unload(); }

 private:
  void Load();
  void Form_Load();
  void Form_Resize();
  void Form_Unload();
  void Command1_Click();
  void Timer1_Timer();
  void Timer2_Timer();
  void Timer3_Timer();
  void Timer4_Timer();

  void ApplyLayout();
  void CentreProgressWindow();
  void FinishFill();
  // The fill (CardImages.cpp). Each returns false once the viewer has been closed.
  bool LoadCardImages();
  bool ListCardFolders(const std::string& pattern);
  void ShowCard(const std::string& card);

  fTumbledeck& main_;
  Platform& platform_;
  // Kept after an unload (dead, they ignore every call): the unload may run inside one
  // of the window's own events, or in the middle of the fill.
  std::unique_ptr<Window> window_;
  std::unique_ptr<RichTextView> RichTextBox1;
  std::unique_ptr<Button> Command1;
  std::unique_ptr<Timer> Timer1, Timer2, Timer3, Timer4;

  bool LayoutFrozen = false;
  double BlinkColor = 0;
  double BlinkColorA = 0;
  double BlinkColorB = 0;
  bool loaded_ = false;
  bool unloaded_ = false;    // closed: the fill stops at its next yield
  bool fillStarted_ = false;  // the Show Cards action runs once
};

}  // namespace td
