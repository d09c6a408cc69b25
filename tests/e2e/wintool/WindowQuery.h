// Finding the windows of other processes and reading them: captions, classes, child
// controls, placement, all as JSON.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wintool {

// --title T (exact caption), optionally with --class C and --visible, or --hwnd 0x1234.
struct Selector {
  HWND hwnd = nullptr;
  bool haveTitle = false, haveClass = false, visibleOnly = false;
  std::wstring title, cls;
};

struct Child {
  HWND hwnd;
  std::wstring cls, text;
  int id;
  bool visible;
  LONG style;
  RECT rect;  // in the parent's client coordinates
  bool icon;  // a static control that holds an icon
};

std::wstring ClassOf(HWND h);
std::wstring TextOf(HWND h);
std::vector<Child> ChildrenOf(HWND parent);
HWND FirstChildOfClass(HWND top, const std::wstring& cls);

HWND FindTop(const Selector& sel);
HWND WaitFor(const Selector& sel, double timeout);

std::string ChildJson(const Child& c);
std::string WindowJson(HWND h, bool withChildren);

}  // namespace wintool
