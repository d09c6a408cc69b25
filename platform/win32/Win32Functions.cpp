#include "platform/win32/Win32Functions.h"

#include "platform/win32/Win32Libraries.h"

namespace td::win32 {
namespace {

template <class Function>
Function FunctionOf(HMODULE library, const char* name) {
  return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                 : nullptr;
}

template <class Function>
Function User32Function(const char* name) {
  return FunctionOf<Function>(GetModuleHandleW(L"user32.dll"), name);
}

// Loaded for it, from the system folder: the program's windows need it from their start.
template <class Function>
Function ShcoreFunction(const char* name) {
  return FunctionOf<Function>(LoadSystemLibrary(L"shcore.dll"), name);
}

}  // namespace

SystemFunctions& Functions() {
  static SystemFunctions functions{
      User32Function<decltype(SystemFunctions::getDpiForSystem)>("GetDpiForSystem"),
      User32Function<decltype(SystemFunctions::getDpiForWindow)>("GetDpiForWindow"),
      User32Function<decltype(SystemFunctions::adjustWindowRectExForDpi)>(
          "AdjustWindowRectExForDpi"),
      ShcoreFunction<decltype(SystemFunctions::getDpiForMonitor)>("GetDpiForMonitor"),
      AssignProcessToJobObject};
  return functions;
}

}  // namespace td::win32
