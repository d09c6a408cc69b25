// Commands on top-level windows: list, wait, children, click, close, show, watch,
// timeline.
#include <cstdio>
#include <cwchar>

#include "Commands.h"
#include "JsonLines.h"

namespace wintool {

namespace {

// Button captions carry '&' for the access key; "&Quit" and "Quit" are one button.
std::wstring StripAmpersands(const std::wstring& s) {
  std::wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'&' && i + 1 < s.size()) {
      ++i;
    }
    out += s[i];
  }
  return out;
}

}  // namespace

int List(bool all, bool children) {
  std::vector<HWND> wins;
  EnumWindows(
      [](HWND h, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&wins));
  for (HWND h : wins)
    if (all || IsWindowVisible(h)) Emit(WindowJson(h, children));
  return 0;
}

int Wait(HWND h) {
  Emit(WindowJson(h, true));
  return 0;
}

int Children(HWND h) {
  for (const Child& c : ChildrenOf(h)) Emit(ChildJson(c));
  return 0;
}

int Click(HWND top, const std::wstring& text) {
  for (const Child& c : ChildrenOf(top)) {
    if (_wcsicmp(c.cls.c_str(), L"Button") != 0) continue;
    if (StripAmpersands(c.text) != StripAmpersands(text)) continue;
    // Posted, not sent: the click may end a modal loop or the whole process, and a
    // sent message would then wait for an answer that never comes.
    PostMessageW(c.hwnd, BM_CLICK, 0, 0);
    Emit(ChildJson(c));
    return 0;
  }
  std::fprintf(stderr, "wintool: no button \"%s\"\n", Utf8(text).c_str());
  return 1;
}

int Close(HWND h) {
  PostMessageW(h, WM_CLOSE, 0, 0);
  Emit(WindowJson(h, false));
  return 0;
}

int Show(HWND h, const std::wstring& how) {
  int cmd;
  if (how == L"restore") cmd = SW_RESTORE;
  else if (how == L"minimize") cmd = SW_MINIMIZE;
  else if (how == L"hide") cmd = SW_HIDE;
  else if (how == L"normal") cmd = SW_SHOWNORMAL;
  else return Usage();
  ShowWindowAsync(h, cmd);
  // Give the owner thread a moment to act, then report what it did.
  for (int i = 0; i < 50; ++i) {
    Sleep(20);
    if ((cmd == SW_MINIMIZE) == (IsIconic(h) != 0)) break;
  }
  if (IsWindow(h)) Emit(WindowJson(h, false));
  return 0;
}

int Watch(const Selector& sel, double timeout, int interval) {
  DWORD start = GetTickCount();
  const DWORD limit = static_cast<DWORD>(timeout * 1000);
  HWND h = nullptr;
  Emit("{\"event\":\"watching\"}");
  while (!(h = FindTop(sel))) {
    if (GetTickCount() - start > limit) {
      Emit("{\"event\":\"timeout\",\"seen\":false}");
      return 1;
    }
    Sleep(static_cast<DWORD>(interval));
  }
  std::string last;
  for (;;) {
    std::string now = WindowJson(h, true);
    if (!IsWindow(h)) break;  // gone while it was read: the reading may be half
    if (now != last) {
      last = now;
      Emit("{\"event\":\"state\",\"ms\":" + std::to_string(GetTickCount() - start) +
           ",\"window\":" + now + "}");
    }
    if (GetTickCount() - start > limit) {
      Emit("{\"event\":\"timeout\",\"seen\":true}");
      return 1;
    }
    Sleep(static_cast<DWORD>(interval));
  }
  Emit("{\"event\":\"gone\",\"ms\":" + std::to_string(GetTickCount() - start) + "}");
  return 0;
}

int Timeline(const std::vector<std::wstring>& titles, double timeout) {
  const DWORD start = GetTickCount();
  for (const std::wstring& title : titles) {
    Selector sel;
    sel.haveTitle = sel.visibleOnly = true;
    sel.title = title;
    const double left = timeout - (GetTickCount() - start) / 1000.0;
    if (left <= 0 || !WaitFor(sel, left)) {
      Emit("{\"title\":" + Json(title) + ",\"ms\":null}");
      return 1;
    }
    Emit("{\"title\":" + Json(title) + ",\"ms\":" + std::to_string(GetTickCount() - start) + "}");
  }
  return 0;
}

}  // namespace wintool
