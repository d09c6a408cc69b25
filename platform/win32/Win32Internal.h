// Pieces of the Windows platform that the factory and the other parts share.
// Internal to platform/win32; free of <windows.h> so that each part includes it only
// where it needs it.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace td::win32 {

// Error numbers the classic runtime uses beyond those in Platform.h; they come with
// their own descriptions because the shared description table does not know them.
RunError OutOfMemoryError();                // 7
RunError InternalError();                   // 51
RunError DiskFullError();                   // 61
RunError InvalidClipboardFormatError();     // 460
RunError InvalidPictureError();             // 481
RunError CannotOpenClipboardError();        // 521

// The RunError for a failed Win32 file operation: not found 53, path not found 76,
// access denied / read-only / exists 75, sharing violation 70; anything else becomes
// `fallback`.
RunError ErrorFromWin32(unsigned long win32Error, int fallback = err::kPathFileAccess);
[[noreturn]] void ThrowLastError(int fallback = err::kPathFileAccess);

// The whole content of a file, opened for reading with every kind of sharing allowed.
std::string ReadWholeFile(const std::string& path);

std::unique_ptr<FileSystem> CreateFileSystem();
std::unique_ptr<System> CreateSystem();
std::unique_ptr<Ui> CreateUi();

}  // namespace td::win32
