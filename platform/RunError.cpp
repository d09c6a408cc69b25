#include "platform/RunError.h"

namespace td {

std::string RunError::StandardDescription(int number) {
  switch (number) {
    case err::kInvalidCall: return "Invalid procedure call or argument";
    case err::kOverflow: return "Overflow";
    case err::kOutOfMemory: return "Out of memory";
    case err::kInternalError: return "Internal error";
    case err::kDiskFull: return "Disk full";
    case err::kSubscriptOutOfRange: return "Subscript out of range";
    case err::kBadFileName: return "Bad file name or number";
    case err::kFileNotFound: return "File not found";
    case err::kInputPastEnd: return "Input past end of file";
    case err::kPermissionDenied: return "Permission denied";
    case err::kPathFileAccess: return "Path/File access error";
    case err::kPathNotFound: return "Path not found";
    case err::kInvalidClipboardFormat: return "Invalid Clipboard format";
    case err::kInvalidPicture: return "Invalid picture";
    case err::kCannotOpenClipboard: return "Can't open Clipboard";
    default: return "Application-defined or object-defined error";
  }
}

}  // namespace td
