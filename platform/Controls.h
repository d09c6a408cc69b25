// Controls: what the program places in its windows (buttons, labels, rich-text views,
// timers; the card view has a header of its own) and the measures and colours they take.
// Geometry is in twips (1/1440 inch).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace td {

// Every colour: red + 256*green + 65536*blue; with the top bit set, a system colour by
// its index, as the classic runtime allows.
using Colour = uint32_t;

struct Bounds {
  double left = 0, top = 0, width = 0, height = 0;  // twips
};

struct FontSpec {
  std::string face;
  double points = 8.25;
  int weight = 400;
  // Faces to use instead, in this order, where `face` is not installed.
  std::vector<std::string> standIns;
};

// A child control that the program places again and switches on and off.
class Control {
 public:
  virtual ~Control() = default;
  virtual void SetBounds(const Bounds& b) = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// A push button: the program also reads its place and hides it.
class Button : public Control {
 public:
  virtual Bounds GetBounds() const = 0;
  virtual void SetVisible(bool visible) = 0;
};

// A text label, where its spec places it.
class Label {
 public:
  virtual ~Label() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetForeColor(Colour colour) = 0;
};

// A place in a view's content, in characters (a card counts as one): 32 bits on every
// system, as in the views' own messages.
using TextPosition = int32_t;

// A rich-text view that shows an RTF file, read-only or not.
class RichTextView : public Control {
 public:
  virtual void SetReadOnly(bool readOnly) = 0;
  virtual void ClearText() = 0;
  // Shows the RTF file at path; throws RunError when it is missing or unreadable.
  virtual void LoadFile(const std::string& path) = 0;
};

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
};

struct ControlSpec {
  Bounds bounds;
  std::string caption;
  Colour backColor = 0xFFFFFF;
  Colour foreColor = 0;
  std::optional<FontSpec> font;
  bool centred = false;
};

}  // namespace td
