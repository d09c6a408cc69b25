// Commands on the prefix's processes: procs, waitprocs, kill.
#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>

#include "Commands.h"
#include "JsonLines.h"
#include "platform/win32/Win32Handles.h"

namespace wintool {

namespace {

using td::win32::KernelHandle;

struct Proc {
  DWORD pid, parent;
  std::wstring exe;
};

std::vector<Proc> Processes() {
  std::vector<Proc> out;
  KernelHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap) return out;
  PROCESSENTRY32W pe{};
  pe.dwSize = sizeof pe;
  for (BOOL ok = Process32FirstW(snap.Get(), &pe); ok; ok = Process32NextW(snap.Get(), &pe))
    out.push_back({pe.th32ProcessID, pe.th32ParentProcessID, pe.szExeFile});
  return out;
}

bool IsNamed(const Proc& p, const std::wstring& name) {
  return _wcsicmp(p.exe.c_str(), name.c_str()) == 0;
}

}  // namespace

// Ends every process of that name, as a user closing its window would end it.
int Kill(const std::wstring& name) {
  int killed = 0;
  for (const Proc& p : Processes()) {
    if (!IsNamed(p, name)) continue;
    KernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, p.pid));
    if (process && TerminateProcess(process.Get(), 1)) ++killed;
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
        if (IsNamed(p, n)) busy = true;
    if (!busy) return 0;
    if (GetTickCount() - start > static_cast<DWORD>(timeout * 1000)) {
      Procs();
      return 1;
    }
    Sleep(50);
  }
}

}  // namespace wintool
