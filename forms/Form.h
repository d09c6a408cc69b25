// What the program's windows share. A form's window is created and loaded on first use
// (Load, then the form's Form_Load), shown modeless and without an owner, and unloaded
// at most once per load, by the user's close box or by the program; a close cannot be
// cancelled. An unloaded form keeps its dead window and controls, which ignore every
// call: the unload may run inside one of the window's own events, or in the middle of a
// long stretch of the form's that yields.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace td {

class Form : public WindowEvents {
 public:
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates the window, hidden, and runs Form_Load; nothing when it is loaded already.
  void Load();
  // Loads the window when needed, then shows it modeless in its current state.
  void Show();
  // Runs Form_Unload and destroys the window; nothing when it is not loaded.
  void Unload();
  bool Loaded() const { return loaded_; }

  void OnClose() override { Unload(); }

 protected:
  explicit Form(Platform& platform);

  virtual WindowSpec Design() const = 0;              // the window as designed
  virtual void AddControls(Window& window) = 0;       // its controls and timers
  virtual void Form_Load() = 0;
  virtual void Form_Unload() = 0;

  // The sizable windows' rules. A window the user made smaller than 3200 x 4800 twips
  // is set back to that, one side at a time; each correction raises a resize of its
  // own, which finds the minimum met.
  void KeepMinimumSize();
  // Where the window's view goes (the cards, the guide): 30 twips in from the left, from the top down, 150
  // twips narrower and 490 twips lower than the window.
  Bounds ViewBounds() const;

  Platform& platform_;
  std::unique_ptr<Window> window_;

 private:
  bool loaded_ = false;
};

}  // namespace td
