// The functions of Windows that older systems lack or may refuse, looked up once. The
// tests put others in their place to play such a system. Internal to platform/win32.
#pragma once

#include <windows.h>

namespace td::win32 {

struct SystemFunctions {
  // Windows 10 1607 and later; null before.
  UINT(WINAPI* getDpiForSystem)();
  UINT(WINAPI* getDpiForWindow)(HWND);
  BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT);
  // Windows 8.1 and later (shcore.dll): each monitor's resolution as it is now.
  HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*);
  // Every system has it, but before Windows 8 it refuses a process that is in a job
  // already (one started by Task Scheduler, say).
  BOOL(WINAPI* assignProcessToJobObject)(HANDLE, HANDLE);
};

SystemFunctions& Functions();

}  // namespace td::win32
