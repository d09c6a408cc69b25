#include <windows.h>

#include "platform/win32/Win32Internal.h"

namespace td::win32 {

RunError OutOfMemoryError() { return RunError(7, "Out of memory"); }
RunError InternalError() { return RunError(51, "Internal error"); }
RunError DiskFullError() { return RunError(61, "Disk full"); }
RunError InvalidClipboardFormatError() { return RunError(460, "Invalid Clipboard format"); }
RunError InvalidPictureError() { return RunError(481, "Invalid picture"); }
RunError CannotOpenClipboardError() { return RunError(521, "Can't open Clipboard"); }

RunError ErrorFromWin32(unsigned long win32Error, int fallback) {
  switch (win32Error) {
    case ERROR_FILE_NOT_FOUND:
      return RunError(err::kFileNotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
      return RunError(err::kPathNotFound);
    case ERROR_ACCESS_DENIED:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_DIR_NOT_EMPTY:
      return RunError(err::kPathFileAccess);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return RunError(err::kPermissionDenied);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return RunError(err::kBadFileName);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return DiskFullError();
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return OutOfMemoryError();
    default:
      return RunError(fallback);
  }
}

void ThrowLastError(int fallback) { throw ErrorFromWin32(GetLastError(), fallback); }

}  // namespace td::win32
