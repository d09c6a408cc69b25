// Failures: the error numbers of the classic runtime and the RunError that carries one.
#pragma once

#include <stdexcept>
#include <string>

namespace td {

// Error numbers of the classic runtime; the unhandled-error report shows them, and a
// user who searches for "error 53" finds what it means.
namespace err {
constexpr int kInvalidCall = 5;
constexpr int kOverflow = 6;
constexpr int kOutOfMemory = 7;
constexpr int kInternalError = 51;
constexpr int kDiskFull = 61;
constexpr int kSubscriptOutOfRange = 9;
constexpr int kBadFileName = 52;
constexpr int kFileNotFound = 53;
constexpr int kInputPastEnd = 62;
constexpr int kPermissionDenied = 70;
constexpr int kPathFileAccess = 75;
constexpr int kPathNotFound = 76;
constexpr int kInvalidClipboardFormat = 460;
constexpr int kInvalidPicture = 481;
constexpr int kCannotOpenClipboard = 521;
}  // namespace err

// A failure that passes to the caller until some code traps it. One that reaches an
// event handler untrapped ends the run with a report (see Screen::ReportUnhandled).
class RunError : public std::runtime_error {
 public:
  RunError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  explicit RunError(int number) : RunError(number, StandardDescription(number)) {}
  int Number() const { return number_; }
  static std::string StandardDescription(int number);

 private:
  int number_;
};

}  // namespace td
