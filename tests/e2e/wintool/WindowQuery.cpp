#include "WindowQuery.h"

#include <cwchar>

#include "JsonLines.h"

namespace wintool {

std::wstring ClassOf(HWND h) {
  wchar_t buf[256] = {};
  GetClassNameW(h, buf, 256);
  return buf;
}

// The caption or control text. WM_GETTEXT reaches controls of other processes too; the
// timeout keeps a hung target from hanging the tool.
std::wstring TextOf(HWND h) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len)) {
    wchar_t buf[1024] = {};
    GetWindowTextW(h, buf, 1024);
    return buf;
  }
  std::vector<wchar_t> buf(len + 2, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                      SMTO_ABORTIFHUNG, 2000, &got);
  return std::wstring(buf.data());
}

std::vector<Child> ChildrenOf(HWND parent) {
  std::vector<Child> out;
  EnumChildWindows(
      parent,
      [](HWND h, LPARAM p) -> BOOL {
        auto* v = reinterpret_cast<std::vector<Child>*>(p);
        RECT r{};
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
        std::wstring cls = ClassOf(h);
        DWORD_PTR icon = 0;
        if (_wcsicmp(cls.c_str(), L"Static") == 0)
          SendMessageTimeoutW(h, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
        v->push_back({h, cls, TextOf(h), GetDlgCtrlID(h), IsWindowVisible(h) != 0,
                      GetWindowLongW(h, GWL_STYLE), r, icon != 0});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&out));
  return out;
}

HWND FirstChildOfClass(HWND top, const std::wstring& cls) {
  for (const Child& c : ChildrenOf(top))
    if (_wcsicmp(c.cls.c_str(), cls.c_str()) == 0) return c.hwnd;
  return nullptr;
}

namespace {

struct FindState {
  const Selector* sel;
  HWND found;
};

}  // namespace

HWND FindTop(const Selector& sel) {
  if (sel.hwnd) return IsWindow(sel.hwnd) ? sel.hwnd : nullptr;
  FindState st{&sel, nullptr};
  EnumWindows(
      [](HWND h, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<FindState*>(p);
        if (s->sel->visibleOnly && !IsWindowVisible(h)) return TRUE;
        if (s->sel->haveClass && _wcsicmp(ClassOf(h).c_str(), s->sel->cls.c_str()) != 0)
          return TRUE;
        if (s->sel->haveTitle) {
          // The cheap server-side caption first: most windows differ there already.
          wchar_t buf[512] = {};
          GetWindowTextW(h, buf, 512);
          if (s->sel->title != buf && s->sel->title != TextOf(h)) return TRUE;
        }
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&st));
  return st.found;
}

HWND WaitFor(const Selector& sel, double timeout) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND h = FindTop(sel)) return h;
    if (GetTickCount() - start > static_cast<DWORD>(timeout * 1000)) return nullptr;
    Sleep(20);
  }
}

std::string ChildJson(const Child& c) {
  return "{\"hwnd\":\"" + Hex(c.hwnd) + "\",\"class\":" + Json(c.cls) +
         ",\"id\":" + std::to_string(c.id) + ",\"text\":" + Json(c.text) +
         ",\"visible\":" + Bool(c.visible) + ",\"style\":" + std::to_string(c.style) +
         ",\"rect\":" + Rect(c.rect) + ",\"icon\":" + Bool(c.icon) + "}";
}

// The resolution of the monitor the window is on, which it is laid out at (Windows 8.1
// and later tell it; a window's own answer differs between processes under Wine).
UINT MonitorDpiOf(HWND h) {
  using GetDpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto get = reinterpret_cast<GetDpiForMonitorCall>(reinterpret_cast<void*>(
      GetProcAddress(LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor")));
  UINT x = 0, y = 0;
  if (get) get(MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST), 0, &x, &y);
  return x;
}

// One window's state; the watch compares these strings to see a change, so nothing in
// it may change by itself (no time stamps here).
std::string WindowJson(HWND h, bool withChildren) {
  RECT outer{}, client{};
  GetWindowRect(h, &outer);
  GetClientRect(h, &client);
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(h, &wp);
  std::string s = "{\"hwnd\":\"" + Hex(h) + "\",\"title\":" + Json(TextOf(h)) +
                  ",\"class\":" + Json(ClassOf(h)) + ",\"pid\":" + std::to_string(pid) +
                  ",\"visible\":" + Bool(IsWindowVisible(h) != 0) +
                  ",\"iconic\":" + Bool(IsIconic(h) != 0) + ",\"rect\":" + Rect(outer) +
                  ",\"client\":[" + std::to_string(origin.x) + "," + std::to_string(origin.y) +
                  "," + std::to_string(client.right - client.left) + "," +
                  std::to_string(client.bottom - client.top) + "]" +
                  ",\"normal\":" + Rect(wp.rcNormalPosition) +
                  ",\"style\":" + std::to_string(GetWindowLongW(h, GWL_STYLE)) +
                  ",\"dpi\":" + std::to_string(MonitorDpiOf(h));
  if (withChildren) {
    s += ",\"children\":[";
    bool first = true;
    for (const Child& c : ChildrenOf(h)) {
      if (!first) s += ",";
      first = false;
      s += ChildJson(c);
    }
    s += "]";
  }
  return s + "}";
}

}  // namespace wintool
