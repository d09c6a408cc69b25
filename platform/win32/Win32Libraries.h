// Where the program's libraries come from: the Windows system folder, never the folder
// the program lies in (the master folder, where a card set's zip unpacks whatever it
// brings) nor the current one. Internal to platform/win32.
#pragma once

#include <windows.h>

#include <string>

namespace td::win32 {

// The system's SetDefaultDllDirectories: Windows 8 and later, and Windows 7 with its
// update KB2533623; null before.
using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
SetDefaultDllDirectoriesCall SystemSetDefaultDllDirectories();

// Restricts the library search of the whole process to the system folder, for its own
// loads and for those that Windows' parts make on its behalf by bare name. Where the
// system lacks the call for that, drops the current folder from the search; the
// program's own loads still name the system folder. Runs first, before anything that
// may load a library.
void SearchLibrariesInSystemFolderOnly(
    SetDefaultDllDirectoriesCall setDefault = SystemSetDefaultDllDirectories());

// One of Windows' libraries, loaded from the system folder by its place there, with
// the libraries it needs in turn; null when the system has none of that name.
HMODULE LoadSystemLibrary(const wchar_t* name);

// Folders of Windows, ending in "\": the system folder ("C:\Windows\system32\") and
// Windows' own ("C:\Windows\").
std::wstring SystemFolder();
std::wstring WindowsFolder();

}  // namespace td::win32
