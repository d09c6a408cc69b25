// Commands on a window's text control, the viewer's card view and the help window's
// rich-text view above all: type, length, copyview, meddle, pagedown, positions.
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

int Meddle(HWND top, const std::wstring& cls, double seconds) {
  HWND view = FirstChildOfClass(top, cls);
  if (!view) return 1;
  const auto at = [](int x, int y) { return MAKELPARAM(x, y); };
  const auto click = [&](int x, int y) {
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
    PostMessageW(view, WM_LBUTTONUP, 0, at(x, y));
  };
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  int rounds = 0;
  for (; GetTickCount64() < end; ++rounds) {
    click(20, 20);  // selects the first picture
    PostMessageW(view, WM_KEYDOWN, VK_DELETE, 1);
    PostMessageW(view, WM_KEYUP, VK_DELETE, 1);
    PostMessageW(view, WM_CHAR, L'x', 1);
    PostMessageW(view, WM_PASTE, 0, 0);
    click(2, 2);    // the caret to the start
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, at(20, 20));  // a drag to the right
    PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, at(140, 30));
    PostMessageW(view, WM_LBUTTONUP, 0, at(140, 30));
    Sleep(40);
  }
  Emit("{\"rounds\":" + std::to_string(rounds) + "}");
  return 0;
}

int PageDown(HWND top, const std::wstring& cls, long line, double seconds) {
  HWND view = FirstChildOfClass(top, cls);
  if (!view) return 1;
  const auto send = [view](UINT message, WPARAM wParam) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(view, message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    return static_cast<long>(answer);
  };
  for (int page = 0; page < 5000 && send(EM_GETFIRSTVISIBLELINE, 0) < line; ++page) {
    send(WM_VSCROLL, SB_PAGEDOWN);
  }
  const ULONGLONG start = GetTickCount64();
  ULONGLONG grown = start;
  for (long last = -1; GetTickCount64() - grown < 1000 &&
                       GetTickCount64() - start < static_cast<ULONGLONG>(seconds * 1000);) {
    const long length = static_cast<long>(TextLength(view));
    if (length != last) grown = GetTickCount64();
    last = length;
    Emit("{\"ms\":" + std::to_string(GetTickCount64() - start) + ",\"length\":" +
         std::to_string(length) + ",\"line\":" + std::to_string(send(EM_GETFIRSTVISIBLELINE, 0)) +
         "}");
    Sleep(100);
  }
  return 0;
}

int Positions(HWND top, const std::wstring& cls, long count) {
  HWND view = FirstChildOfClass(top, cls);
  if (!view) return 1;
  std::string xs;
  for (long cp = 0; cp <= count; ++cp) {
    // The form with the position in the result: a pointer would not reach another
    // process.
    const LRESULT at = SendMessageW(view, EM_POSFROMCHAR, static_cast<WPARAM>(cp), 0);
    xs += (cp ? "," : "") + std::string("[") + std::to_string(static_cast<short>(LOWORD(at))) +
          "," + std::to_string(static_cast<short>(HIWORD(at))) + "]";
  }
  Emit("{\"positions\":[" + xs + "]}");
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
