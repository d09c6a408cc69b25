#include "platform/win32/Win32Functions.h"

namespace td::win32 {
namespace {

template <class Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

SystemFunctions& Functions() {
  static SystemFunctions functions{
      User32Function<decltype(SystemFunctions::getDpiForSystem)>("GetDpiForSystem"),
      User32Function<decltype(SystemFunctions::getDpiForWindow)>("GetDpiForWindow"),
      User32Function<decltype(SystemFunctions::adjustWindowRectExForDpi)>(
          "AdjustWindowRectExForDpi"),
      AssignProcessToJobObject};
  return functions;
}

}  // namespace td::win32
