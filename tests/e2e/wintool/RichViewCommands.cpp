// Commands on a window's text control, the viewer's and the help window's rich-text
// view above all: type, length, copyview.
#include <windows.h>
#include <richedit.h>

#include "Commands.h"
#include "JsonLines.h"

namespace wintool {

namespace {

LRESULT TextLength(HWND h) {
  DWORD_PTR len = 0;
  SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len);
  return static_cast<LRESULT>(len);
}

}  // namespace

int Type(HWND top, const std::wstring& cls, const std::wstring& text) {
  HWND view = FirstChildOfClass(top, cls);
  if (!view) return 1;
  const LRESULT before = TextLength(view);
  for (wchar_t ch : text) PostMessageW(view, WM_CHAR, ch, 1);
  PostMessageW(view, WM_KEYDOWN, VK_DELETE, 1);
  PostMessageW(view, WM_KEYDOWN, VK_BACK, 1);
  Sleep(500);
  Emit("{\"before\":" + std::to_string(before) + ",\"after\":" +
       std::to_string(TextLength(view)) + "}");
  return 0;
}

int Length(HWND top, const std::wstring& cls) {
  HWND view = FirstChildOfClass(top, cls);
  if (!view) return 1;
  Emit("{\"length\":" + std::to_string(TextLength(view)) + "}");
  return 0;
}

int CopyView(HWND top, const std::wstring& cls, long from, long to) {
  HWND view = FirstChildOfClass(top, cls);
  if (!view) return 1;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(view, EM_SETSEL, static_cast<WPARAM>(from), to, SMTO_ABORTIFHUNG, 5000,
                      &ignored);
  SendMessageTimeoutW(view, WM_COPY, 0, 0, SMTO_ABORTIFHUNG, 60000, &ignored);
  SendMessageTimeoutW(view, EM_SETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  Emit("{\"copied\":" + std::to_string(TextLength(view)) + "}");
  return 0;
}

}  // namespace wintool
