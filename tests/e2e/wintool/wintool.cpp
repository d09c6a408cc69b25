// wintool: looks at and pokes the windows of a Wine prefix from inside it.
//
// The end-to-end tests run this console program in the same prefix (so under the same
// wineserver and desktop) as Tumbledeck.exe while it runs. Every answer is one JSON
// object per line on stdout, flushed at once, so a test can read it from a file while
// the tool still runs. This file reads the command line; Commands.h lists the commands.
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
//   wintool positions SELECT CLASS N          where characters 0 to N of that child stand
//   wintool copyview SELECT CLASS [FROM TO]   selects all of that child (or characters
//                                             FROM to TO) and copies it, as Ctrl+C does
//   wintool meddle SELECT CLASS SECONDS       acts as a user in that child for SECONDS:
//                                             clicks a picture, presses Delete, types,
//                                             pastes, moves the caret, drags
//   wintool firstpaint SELECT CLASS [--timeout S]
//                                             waits for the window, then for the first
//                                             picture drawn in that child; prints when (ms)
//   wintool jumpend SELECT CLASS              scrolls that child to its end; prints when
//                                             the screen stopped changing (ms)
//   wintool clipboard                         the clipboard's formats, the size of its
//                                             picture, and the pictures in its rich text
//   wintool cardpoint SELECT CLASS CP         where character CP of that child stands on
//                                             the screen (its top left corner)
//   wintool droptarget TITLE X Y [--timeout S]
//                                             a window of another program at X, Y that takes
//                                             one drop; prints the size of its picture
//   wintool listen [--timeout S] TITLE        reads the whole clipboard at each change, as
//                                             a clipboard history does, until a window
//                                             titled TITLE shows (and 1.5 s more)
//   wintool pagedown SELECT CLASS LINE [--timeout S]
//                                             pages that child down to LINE, then prints
//                                             its length and first visible line every
//                                             100 ms until the length stops growing
//   wintool dir PATTERN                       the names a directory search yields, in order
//   wintool timeline [--timeout S] TITLE...   waits for a visible window of each title in
//                                             turn and prints when each appeared (ms)
//
// SELECT is --title T (exact caption), optionally with --class C and --visible, or
// --hwnd 0x1234. Exit status: 0 done, 1 not found or timed out, 2 bad usage.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "platform/win32/Win32Handles.h"

namespace wintool {

namespace {

// CommandLineToArgvW's array, freed with LocalFree.
using ArgvArray = td::win32::Owned<td::win32::NullIsEmpty<wchar_t**, LocalFree>>;

struct Args {
  std::vector<std::wstring> rest;
  Selector sel;
  bool haveSelector = false, all = false, children = false;
  double timeout = 10;
  int interval = 5;
};

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

// The commands that need no window; nothing when cmd is none of them.
std::optional<int> RunWithoutWindow(const std::wstring& cmd, const Args& a) {
  if (cmd == L"list") return List(a.all, a.children);
  if (cmd == L"procs") return Procs();
  if (cmd == L"waitprocs") return a.rest.empty() ? Usage() : WaitProcs(a.rest, a.timeout);
  if (cmd == L"kill") return a.rest.size() == 1 ? Kill(a.rest[0]) : Usage();
  if (cmd == L"clipboard") return Clipboard();
  if (cmd == L"listen") return a.rest.size() == 1 ? Listen(a.rest[0], a.timeout) : Usage();
  if (cmd == L"dir") return a.rest.size() == 1 ? Dir(a.rest[0]) : Usage();
  if (cmd == L"droptarget" && a.rest.size() == 3) {
    return DropTarget(a.rest[0], static_cast<int>(std::wcstol(a.rest[1].c_str(), nullptr, 10)),
                      static_cast<int>(std::wcstol(a.rest[2].c_str(), nullptr, 10)), a.timeout);
  }
  if (cmd == L"timeline") return a.rest.empty() ? Usage() : Timeline(a.rest, a.timeout);
  return std::nullopt;
}

// The commands on the selected window, which exists.
int RunOnWindow(const std::wstring& cmd, const Args& a, HWND h) {
  if (cmd == L"wait") return Wait(h);
  if (cmd == L"children") return Children(h);
  if (cmd == L"click") return a.rest.size() == 1 ? Click(h, a.rest[0]) : Usage();
  if (cmd == L"close") return Close(h);
  if (cmd == L"show") return a.rest.size() == 1 ? Show(h, a.rest[0]) : Usage();
  if (cmd == L"type") return a.rest.size() == 2 ? Type(h, a.rest[0], a.rest[1]) : Usage();
  if (cmd == L"copyview" && a.rest.size() == 3) {
    return CopyView(h, a.rest[0], std::wcstol(a.rest[1].c_str(), nullptr, 10),
                    std::wcstol(a.rest[2].c_str(), nullptr, 10));
  }
  if (cmd == L"copyview") return a.rest.size() == 1 ? CopyView(h, a.rest[0]) : Usage();
  if (cmd == L"length") return a.rest.size() == 1 ? Length(h, a.rest[0]) : Usage();
  if (cmd == L"positions" && a.rest.size() == 2) {
    return Positions(h, a.rest[0], std::wcstol(a.rest[1].c_str(), nullptr, 10));
  }
  if (cmd == L"cardpoint" && a.rest.size() == 2) {
    return CardPoint(h, a.rest[0], std::wcstol(a.rest[1].c_str(), nullptr, 10));
  }
  if (cmd == L"pagedown" && a.rest.size() == 2) {
    return PageDown(h, a.rest[0], std::wcstol(a.rest[1].c_str(), nullptr, 10), a.timeout);
  }
  if (cmd == L"jumpend") return a.rest.size() == 1 ? JumpEnd(h, a.rest[0]) : Usage();
  if (cmd == L"meddle" && a.rest.size() == 2) {
    return Meddle(h, a.rest[0], std::wcstod(a.rest[1].c_str(), nullptr));
  }
  return Usage();
}

}  // namespace

int Usage() {
  std::fputs(
      "usage: wintool list [--all] [--children] | wait SELECT [--timeout S] | children SELECT |\n"
      "       click SELECT TEXT | close SELECT | show SELECT restore|minimize|hide|normal |\n"
      "       watch SELECT [--timeout S] [--interval MS] | procs |\n"
      "       waitprocs [--timeout S] NAME... | kill NAME | type SELECT CLASS TEXT |\n"
      "       length SELECT CLASS | positions SELECT CLASS N | copyview SELECT CLASS [FROM TO] |\n"
      "       meddle SELECT CLASS SECONDS | firstpaint SELECT CLASS | jumpend SELECT CLASS |\n"
      "       clipboard | listen [--timeout S] TITLE | pagedown SELECT CLASS LINE [--timeout S] |\n"
      "       cardpoint SELECT CLASS CP | droptarget TITLE X Y [--timeout S] |\n"
      "       dir PATTERN | timeline [--timeout S] TITLE...\n"
      "SELECT: --title T [--class C] [--visible] | --hwnd 0xNNN\n",
      stderr);
  return 2;
}

}  // namespace wintool

int main() {
  using namespace wintool;
  // Aware of the screen's resolution like the program it looks at, so that both see the
  // same pixels (Wine and Windows give an unaware program scaled ones).
  using SetAwareness = BOOL(WINAPI*)(HANDLE);
  if (const auto set = reinterpret_cast<SetAwareness>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")))) {
    set(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  } else {
    SetProcessDPIAware();
  }
  int argc = 0;
  const ArgvArray argv(CommandLineToArgvW(GetCommandLineW(), &argc));
  if (!argv || argc < 2) return Usage();
  const std::wstring cmd = argv.Get()[1];
  Args a;
  if (!Parse(argc, argv.Get(), a)) return Usage();

  if (const std::optional<int> status = RunWithoutWindow(cmd, a)) return *status;
  if (!a.haveSelector) return Usage();
  if (cmd == L"watch") return Watch(a.sel, a.timeout, a.interval < 1 ? 1 : a.interval);
  if (cmd == L"firstpaint") return a.rest.size() == 1 ? FirstPaint(a.sel, a.rest[0], a.timeout) : Usage();

  HWND h = cmd == L"wait" ? WaitFor(a.sel, a.timeout) : FindTop(a.sel);
  if (!h) {
    std::fputs("wintool: no such window\n", stderr);
    return 1;
  }
  return RunOnWindow(cmd, a, h);
}
