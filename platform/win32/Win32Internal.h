// Pieces of the Windows platform that the factory and the other parts share.
// Internal to platform/win32; free of <windows.h> so that each part includes it only
// where it needs it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace td::win32 {

// Error numbers the classic runtime uses beyond those in Platform.h; they come with
// their own descriptions because the shared description table does not know them.
RunError InvalidCallError();                // 5
RunError OutOfMemoryError();                // 7
RunError InternalError();                   // 51
RunError DiskFullError();                   // 61
RunError InvalidClipboardFormatError();     // 460
RunError InvalidPictureError();             // 481
RunError CannotOpenClipboardError();        // 521

// What a failed call was about, where "not found" means different things:
// - kPath: opening or making something at a path: a missing file is "file not found"
//   (53), a missing folder on the way "path not found" (76);
// - kEntry: asking about one entry (attributes, size, deletion): anything missing on
//   the way is "file not found" (53);
// - kFolder: going into or listing a folder: anything missing is "path not found" (76).
enum class Subject { kPath, kEntry, kFolder };

// The one translation of a Win32 error code into the RunError the program reports.
// Codes it does not know become `fallback`.
RunError ErrorFromWin32(unsigned long code, Subject subject = Subject::kPath,
                        int fallback = err::kPathFileAccess);
[[noreturn]] void ThrowLastError(Subject subject = Subject::kPath,
                                 int fallback = err::kPathFileAccess);
// The same for a COM call's result: Win32 codes as above, the rest as `fallback`.
RunError ErrorFromHresult(long hr, const RunError& fallback);
// The codes that say "there is no such file or folder".
bool IsNotFound(unsigned long code);

// The raw argument text of a process's command line, after the program's own path,
// quoted or not (Win32System.cpp).
std::string CommandTailOf(std::wstring_view commandLine);

// The major version of the Wine the program runs on, 0 on Windows (Win32Processes.cpp).
int WineVersion();

// Starts a command line as System::StartProcess says (Win32Processes.cpp).
std::unique_ptr<StartedProcess> StartProgram(const std::string& commandLine);

// FileSystem::ShortPath (Win32Files.cpp).
std::optional<std::string> ShortPathOf(const std::string& path);

// The whole content of a file, or its first `maxBytes` bytes, opened for reading with
// every kind of sharing allowed.
std::string ReadWholeFile(const std::string& path);
std::string ReadFileHead(const std::string& path, std::size_t maxBytes);

std::unique_ptr<FileSystem> CreateFileSystem();
std::unique_ptr<System> CreateSystem();
std::unique_ptr<Screen> CreateScreen();
std::unique_ptr<Pictures> CreatePictures();

}  // namespace td::win32
