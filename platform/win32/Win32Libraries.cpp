#include "platform/win32/Win32Libraries.h"

#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Text.h"

namespace td::win32 {
namespace {

// Whether the search is restricted for the whole process; SearchLibrariesInSystemFolderOnly
// sets it once.
bool& SystemFolderOnly() {
  static bool restricted = false;
  return restricted;
}

std::wstring FolderOf(UINT(WINAPI* get)(LPWSTR, UINT)) {
  std::wstring folder = FillBuffer([get](wchar_t* buffer, unsigned long size) {
                          return get(buffer, size);
                        }).value_or(L"");
  if (folder.empty()) throw InternalError();
  if (folder.back() != L'\\') folder += L'\\';
  return folder;
}

}  // namespace

SetDefaultDllDirectoriesCall SystemSetDefaultDllDirectories() {
  return reinterpret_cast<SetDefaultDllDirectoriesCall>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
}

void SearchLibrariesInSystemFolderOnly(SetDefaultDllDirectoriesCall setDefault) {
  SystemFolderOnly() = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!SystemFolderOnly()) SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  const std::wstring path = SystemFolder() + name;
  // The libraries it needs come from the system folder too: by the restricted search,
  // or else by the search that starts in the library's own folder.
  return LoadLibraryExW(path.c_str(), nullptr,
                        SystemFolderOnly() ? LOAD_LIBRARY_SEARCH_SYSTEM32
                                           : LOAD_WITH_ALTERED_SEARCH_PATH);
}

std::wstring SystemFolder() { return FolderOf(GetSystemDirectoryW); }

std::wstring WindowsFolder() { return FolderOf(GetWindowsDirectoryW); }

}  // namespace td::win32
