#include <windows.h>
#include <ole2.h>

#include "platform/win32/Win32Internal.h"

namespace td::win32 {

RunError InvalidCallError() { return RunError(err::kInvalidCall); }
RunError OutOfMemoryError() { return RunError(err::kOutOfMemory); }
RunError InternalError() { return RunError(err::kInternalError); }
RunError DiskFullError() { return RunError(err::kDiskFull); }
RunError InvalidClipboardFormatError() { return RunError(err::kInvalidClipboardFormat); }
RunError InvalidPictureError() { return RunError(err::kInvalidPicture); }
RunError CannotOpenClipboardError() { return RunError(err::kCannotOpenClipboard); }

bool IsNotFound(unsigned long code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return true;
    default:
      return false;
  }
}

RunError ErrorFromWin32(unsigned long code, Subject subject, int fallback) {
  if (IsNotFound(code)) {
    switch (subject) {
      case Subject::kEntry: return RunError(err::kFileNotFound);
      case Subject::kFolder: return RunError(err::kPathNotFound);
      case Subject::kPath: break;
    }
    return RunError(code == ERROR_FILE_NOT_FOUND ? err::kFileNotFound : err::kPathNotFound);
  }
  switch (code) {
    case ERROR_DIRECTORY:  // a file where a folder was expected
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
    case ERROR_NO_UNICODE_TRANSLATION:
      return InvalidCallError();
    default:
      return RunError(fallback);
  }
}

RunError ErrorFromHresult(long hr, const RunError& fallback) {
  // E_OUTOFMEMORY and E_ACCESSDENIED are Win32 codes too.
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return ErrorFromWin32(HRESULT_CODE(hr));
  return hr == CLIPBRD_E_CANT_OPEN ? CannotOpenClipboardError() : fallback;
}

void ThrowLastError(Subject subject, int fallback) {
  throw ErrorFromWin32(GetLastError(), subject, fallback);
}

}  // namespace td::win32
