// wintool: looks at and pokes the windows of a Wine prefix from inside it.
//
// The end-to-end tests run this console program in the same prefix (so under the same
// wineserver and desktop) as Tumbledeck.exe while it runs. Every answer is one JSON
// object per line on stdout, flushed at once, so a test can read it from a file while
// the tool still runs.
//
//   wintool list [--all] [--children]         top-level windows (--all: hidden ones too)
//   wintool wait   SELECT [--timeout S]       until a matching window exists; prints it
//   wintool children SELECT                   the window's child controls and their texts
//   wintool click  SELECT BUTTONTEXT          BM_CLICK on the child button with that text
//   wintool close  SELECT                     posts WM_CLOSE
//   wintool show   SELECT restore|minimize|hide|normal
//   wintool watch  SELECT [--timeout S] [--interval MS]
//                  waits for the window, then prints its state each time it changes,
//                  until the window is gone
//   wintool procs                             running processes
//   wintool waitprocs [--timeout S] NAME...   until no process with one of these names runs
//   wintool kill NAME                         ends every process of that name at once
//   wintool type   SELECT CLASS TEXT          types TEXT into the window's first child of
//                                             CLASS; prints its text length before/after
//   wintool length SELECT CLASS               the text length of that child (a picture is 1)
//   wintool copyview SELECT CLASS [FROM TO]   selects all of that child (or characters
//                                             FROM to TO) and copies it, as Ctrl+C does
//   wintool clipboard                         the clipboard's formats, the size of its
//                                             picture, and the pictures in its rich text
//   wintool dir PATTERN                       the names a directory search yields, in order
//   wintool timeline [--timeout S] TITLE...   waits for a visible window of each title in
//                                             turn and prints when each appeared (ms)
//
// SELECT is --title T (exact caption), optionally with --class C and --visible, or
// --hwnd 0x1234. Exit status: 0 done, 1 not found or timed out, 2 bad usage.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <richedit.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

std::string Json(const std::wstring& w) {
  std::string out = "\"";
  for (unsigned char c : Utf8(w)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string Hex(HWND h) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)));
  return buf;
}

void Emit(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

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

std::string Bool(bool b) { return b ? "true" : "false"; }

std::string Rect(const RECT& r) {
  return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + "]";
}

struct Child {
  HWND hwnd;
  std::wstring cls, text;
  int id;
  bool visible;
  LONG style;
  RECT rect;  // in the parent's client coordinates
  bool icon;  // a static control that holds an icon
};

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

std::string ChildJson(const Child& c) {
  return "{\"hwnd\":\"" + Hex(c.hwnd) + "\",\"class\":" + Json(c.cls) +
         ",\"id\":" + std::to_string(c.id) + ",\"text\":" + Json(c.text) +
         ",\"visible\":" + Bool(c.visible) + ",\"style\":" + std::to_string(c.style) +
         ",\"rect\":" + Rect(c.rect) + ",\"icon\":" + Bool(c.icon) + "}";
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
                  ",\"style\":" + std::to_string(GetWindowLongW(h, GWL_STYLE));
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

struct Selector {
  HWND hwnd = nullptr;
  bool haveTitle = false, haveClass = false, visibleOnly = false;
  std::wstring title, cls;
};

struct FindState {
  const Selector* sel;
  HWND found;
};

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

struct Args {
  std::vector<std::wstring> rest;
  Selector sel;
  bool haveSelector = false, all = false, children = false;
  double timeout = 10;
  int interval = 5;
};

int Usage() {
  std::fputs(
      "usage: wintool list [--all] [--children] | wait SELECT [--timeout S] | children SELECT |\n"
      "       click SELECT TEXT | close SELECT | show SELECT restore|minimize|hide|normal |\n"
      "       watch SELECT [--timeout S] [--interval MS] | procs |\n"
      "       waitprocs [--timeout S] NAME... | kill NAME | type SELECT CLASS TEXT |\n"
      "       length SELECT CLASS | copyview SELECT CLASS [FROM TO] | clipboard |\n"
      "       dir PATTERN | timeline [--timeout S] TITLE...\n"
      "SELECT: --title T [--class C] [--visible] | --hwnd 0xNNN\n",
      stderr);
  return 2;
}

bool Parse(int argc, wchar_t** argv, Args& a) {
  for (int i = 2; i < argc; ++i) {
    std::wstring s = argv[i];
    auto next = [&](std::wstring& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::wstring v;
    if (s == L"--title") {
      if (!next(a.sel.title)) return false;
      a.sel.haveTitle = a.haveSelector = true;
    } else if (s == L"--class") {
      if (!next(a.sel.cls)) return false;
      a.sel.haveClass = a.haveSelector = true;
    } else if (s == L"--visible") {
      a.sel.visibleOnly = true;
    } else if (s == L"--hwnd") {
      if (!next(v)) return false;
      a.sel.hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(v.c_str(), nullptr, 0)));
      a.haveSelector = true;
    } else if (s == L"--timeout") {
      if (!next(v)) return false;
      a.timeout = std::wcstod(v.c_str(), nullptr);
    } else if (s == L"--interval") {
      if (!next(v)) return false;
      a.interval = static_cast<int>(std::wcstol(v.c_str(), nullptr, 10));
    } else if (s == L"--all") {
      a.all = true;
    } else if (s == L"--children") {
      a.children = true;
    } else {
      a.rest.push_back(s);
    }
  }
  return true;
}

HWND WaitFor(const Selector& sel, double timeout) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND h = FindTop(sel)) return h;
    if (GetTickCount() - start > static_cast<DWORD>(timeout * 1000)) return nullptr;
    Sleep(20);
  }
}

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

struct Proc {
  DWORD pid, parent;
  std::wstring exe;
};

std::vector<Proc> Processes() {
  std::vector<Proc> out;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32W pe{};
  pe.dwSize = sizeof pe;
  for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe))
    out.push_back({pe.th32ProcessID, pe.th32ParentProcessID, pe.szExeFile});
  CloseHandle(snap);
  return out;
}

// Ends every process of that name, as a user closing its window would end it.
int Kill(const std::wstring& name) {
  int killed = 0;
  for (const Proc& p : Processes()) {
    if (_wcsicmp(p.exe.c_str(), name.c_str()) != 0) continue;
    HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, p.pid);
    if (h && TerminateProcess(h, 1)) ++killed;
    if (h) CloseHandle(h);
  }
  Emit("{\"killed\":" + std::to_string(killed) + "}");
  return killed ? 0 : 1;
}

int Procs() {
  for (const Proc& p : Processes())
    Emit("{\"pid\":" + std::to_string(p.pid) + ",\"parent\":" + std::to_string(p.parent) +
         ",\"exe\":" + Json(p.exe) + "}");
  return 0;
}

int WaitProcs(const std::vector<std::wstring>& names, double timeout) {
  DWORD start = GetTickCount();
  for (;;) {
    bool busy = false;
    for (const Proc& p : Processes())
      for (const std::wstring& n : names)
        if (_wcsicmp(p.exe.c_str(), n.c_str()) == 0) busy = true;
    if (!busy) return 0;
    if (GetTickCount() - start > static_cast<DWORD>(timeout * 1000)) {
      Procs();
      return 1;
    }
    Sleep(50);
  }
}

HWND FirstChildOfClass(HWND top, const std::wstring& cls) {
  for (const Child& c : ChildrenOf(top))
    if (_wcsicmp(c.cls.c_str(), cls.c_str()) == 0) return c.hwnd;
  return nullptr;
}

LRESULT TextLength(HWND h) {
  DWORD_PTR len = 0;
  SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len);
  return static_cast<LRESULT>(len);
}

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

int CopyView(HWND top, const std::wstring& cls, long from = 0, long to = -1) {
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

std::string FormatName(UINT format) {
  switch (format) {
    case CF_TEXT: return "CF_TEXT";
    case CF_BITMAP: return "CF_BITMAP";
    case CF_METAFILEPICT: return "CF_METAFILEPICT";
    case CF_DIB: return "CF_DIB";
    case CF_UNICODETEXT: return "CF_UNICODETEXT";
    case CF_ENHMETAFILE: return "CF_ENHMETAFILE";
    case CF_OEMTEXT: return "CF_OEMTEXT";
    case CF_LOCALE: return "CF_LOCALE";
    case CF_DIBV5: return "CF_DIBV5";
  }
  wchar_t name[256] = {};
  if (GetClipboardFormatNameW(format, name, 256) > 0) return Utf8(name);
  return std::to_string(format);
}

// The picture sizes that a rich text holds, in order: each \pict group's \picw and
// \pich (pixels), or its \picwgoal and \pichgoal (twips) where those are all it says.
std::string PictSizes(const std::string& rtf) {
  std::string out = "[";
  size_t at = 0;
  auto number = [&rtf](size_t from, size_t to, const char* word) -> long {
    const size_t found = rtf.find(word, from);
    if (found == std::string::npos || found > to) return -1;
    return std::strtol(rtf.c_str() + found + std::strlen(word), nullptr, 10);
  };
  bool first = true;
  while ((at = rtf.find("\\pict", at)) != std::string::npos) {
    const size_t hexEnd = rtf.find('}', at);
    if (hexEnd == std::string::npos) break;
    // The group's control words end where its picture data begins.
    size_t end = rtf.find_first_of(" \r\n", at);
    if (end == std::string::npos || end > hexEnd) end = hexEnd;
    if (!first) out += ",";
    first = false;
    out += "{\"w\":" + std::to_string(number(at, end, "\\picw")) +
           ",\"h\":" + std::to_string(number(at, end, "\\pich")) +
           ",\"wgoal\":" + std::to_string(number(at, end, "\\picwgoal")) +
           ",\"hgoal\":" + std::to_string(number(at, end, "\\pichgoal")) +
           ",\"hexbytes\":" + std::to_string((hexEnd - end) / 2) + "}";
    at = hexEnd;
  }
  return out + "]";
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

int Dir(const std::wstring& pattern) {
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 1;
  do {
    Emit("{\"name\":" + Json(data.cFileName) + ",\"folder\":" +
         Bool((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) + "}");
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return 0;
}

int Clipboard() {
  if (!OpenClipboard(nullptr)) return 1;
  std::string formats = "[";
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
    if (formats.size() > 1) formats += ",";
    const std::string name = FormatName(f);  // ASCII
    formats += Json(std::wstring(name.begin(), name.end()));
  }
  formats += "]";
  std::string dib = "null";
  if (HANDLE h = GetClipboardData(CF_DIB)) {
    if (auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(h))) {
      dib = "[" + std::to_string(header->biWidth) + "," + std::to_string(header->biHeight) + "]";
      GlobalUnlock(h);
    }
  }
  std::string picts = "[]";
  if (UINT rtfFormat = RegisterClipboardFormatW(L"Rich Text Format")) {
    if (HANDLE h = GetClipboardData(rtfFormat)) {
      if (const char* text = static_cast<const char*>(GlobalLock(h))) {
        picts = PictSizes(std::string(text, strnlen(text, GlobalSize(h))));
        GlobalUnlock(h);
      }
    }
  }
  CloseClipboard();
  Emit("{\"formats\":" + formats + ",\"dib\":" + dib + ",\"picts\":" + picts + "}");
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) return Usage();
  std::wstring cmd = argv[1];
  Args a;
  if (!Parse(argc, argv, a)) return Usage();

  if (cmd == L"list") return List(a.all, a.children);
  if (cmd == L"procs") return Procs();
  if (cmd == L"waitprocs") return a.rest.empty() ? Usage() : WaitProcs(a.rest, a.timeout);
  if (cmd == L"kill") return a.rest.size() == 1 ? Kill(a.rest[0]) : Usage();
  if (cmd == L"clipboard") return Clipboard();
  if (cmd == L"dir") return a.rest.size() == 1 ? Dir(a.rest[0]) : Usage();
  if (cmd == L"timeline") return a.rest.empty() ? Usage() : Timeline(a.rest, a.timeout);
  if (!a.haveSelector) return Usage();
  if (cmd == L"watch") return Watch(a.sel, a.timeout, a.interval < 1 ? 1 : a.interval);

  HWND h = cmd == L"wait" ? WaitFor(a.sel, a.timeout) : FindTop(a.sel);
  if (!h) {
    std::fputs("wintool: no such window\n", stderr);
    return 1;
  }
  if (cmd == L"wait") {
    Emit(WindowJson(h, true));
    return 0;
  }
  if (cmd == L"children") {
    for (const Child& c : ChildrenOf(h)) Emit(ChildJson(c));
    return 0;
  }
  if (cmd == L"click") return a.rest.size() == 1 ? Click(h, a.rest[0]) : Usage();
  if (cmd == L"close") {
    PostMessageW(h, WM_CLOSE, 0, 0);
    Emit(WindowJson(h, false));
    return 0;
  }
  if (cmd == L"show") return a.rest.size() == 1 ? Show(h, a.rest[0]) : Usage();
  if (cmd == L"type") return a.rest.size() == 2 ? Type(h, a.rest[0], a.rest[1]) : Usage();
  if (cmd == L"copyview" && a.rest.size() == 3) {
    return CopyView(h, a.rest[0], std::wcstol(a.rest[1].c_str(), nullptr, 10),
                    std::wcstol(a.rest[2].c_str(), nullptr, 10));
  }
  if (cmd == L"copyview") return a.rest.size() == 1 ? CopyView(h, a.rest[0]) : Usage();
  if (cmd == L"length") return a.rest.size() == 1 ? Length(h, a.rest[0]) : Usage();
  return Usage();
}
