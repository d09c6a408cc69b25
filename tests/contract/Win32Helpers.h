// What the Windows-only contract cases share: the windows behind the platform's objects,
// and card pictures made on the spot. Built into the contract suite under Wine only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/Platform.h"

#include "platform/win32/Win32PictureFormats.h"

namespace td::contract {

// The program's top-level window of that caption, and its first child of a class.
inline HWND TopWindow(const wchar_t* caption) {
  return FindWindowW(L"TumbledeckWindow", caption);
}
inline HWND Child(HWND parent, const wchar_t* className) {
  return FindWindowExW(parent, nullptr, className, nullptr);
}

class NoEvents : public WindowEvents {};

// A hidden window of the test's own with one view of the program's, and the view's
// window handle, which the program's interface does not show: a read-only rich-text
// view (as the user guide's) or a card view (as the viewer's).
template <class View>
class ViewWindow {
 public:
  ViewWindow(Screen& screen, const std::string& caption) {
    WindowSpec spec;
    spec.caption = caption;
    spec.clientWidth = 6000;
    spec.clientHeight = 4000;
    window_ = screen.OpenWindow(spec, events_);
    ControlSpec control;
    control.bounds = {0, 0, 6000, 4000};
    if constexpr (std::is_same_v<View, CardView>) {
      view = window_->AddCardView(control);
    } else {
      view = window_->AddRichTextView(control);
    }
    view->SetReadOnly(true);
    hwnd = GetWindow(FindWindowA(nullptr, caption.c_str()), GW_CHILD);
  }
  std::unique_ptr<View> view;
  HWND hwnd = nullptr;

 private:
  NoEvents events_;
  std::unique_ptr<Window> window_;
};
using GuideWindow = ViewWindow<RichTextView>;
using CardWindow = ViewWindow<CardView>;

// A JPEG file of one colour (BGR in a COLORREF's byte order reversed: RGB()).
inline std::string SolidJpeg(int width, int height, COLORREF colour) {
  const DWORD bgrx = RGB(GetBValue(colour), GetGValue(colour), GetRValue(colour));
  const std::vector<DWORD> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), bgrx);
  const win32::GlobalMemory dib = win32::MakePackedDib(pixels.data(), width, height);
  return win32::EncodeJpeg(dib.Get());
}

// Near enough to a colour for a JPEG's pixels.
inline bool Near(COLORREF got, COLORREF want) {
  const auto close = [](int a, int b) { return a - b < 24 && b - a < 24; };
  return close(GetRValue(got), GetRValue(want)) && close(GetGValue(got), GetGValue(want)) &&
         close(GetBValue(got), GetBValue(want));
}

}  // namespace td::contract
