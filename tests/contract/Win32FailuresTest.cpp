// Failures of the Windows machine that no run provokes on its own: the mapping of
// Windows' and COM's error codes, a write that fails midway, a name no text can spell,
// and pictures whose decoding fails past their header. Built into the contract suite
// under Wine only.
#include <windows.h>
#include <ole2.h>

#include <new>
#include <stdexcept>

#include "ContractTest.h"
#include "Win32Helpers.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Picture.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Ui.h"

namespace td::contract {
namespace {

TEST_F(Contract, Win32ErrorCodesBecomeTheErrorsTheProgramReports) {
  // A failing rich-edit call reports what it was about unless its code says more.
  const RunError fallback = win32::InvalidClipboardFormatError();
  const std::vector<std::pair<long, int>> results = {
      {E_ACCESSDENIED, err::kPathFileAccess},
      {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), err::kFileNotFound},
      {E_OUTOFMEMORY, err::kOutOfMemory},
      {CLIPBRD_E_CANT_OPEN, err::kCannotOpenClipboard},
      {E_FAIL, err::kInvalidClipboardFormat},  // what the call was about
  };
  for (const auto& [hr, number] : results) {
    EXPECT_EQ(win32::ErrorFromHresult(hr, fallback).Number(), number) << std::hex << hr;
  }
  const std::vector<std::pair<unsigned long, int>> codes = {
      {ERROR_SHARING_VIOLATION, err::kPermissionDenied},
      {ERROR_DISK_FULL, err::kDiskFull},
      {ERROR_NOT_ENOUGH_MEMORY, err::kOutOfMemory},
      {ERROR_BAD_NETPATH, err::kPathNotFound},
      {ERROR_INVALID_FUNCTION, err::kInternalError},  // unknown: the caller's fallback
  };
  for (const auto& [code, number] : codes) {
    EXPECT_EQ(win32::ErrorFromWin32(code, win32::Subject::kPath, err::kInternalError).Number(),
              number)
        << code;
  }
  // A failure that escapes an event handler.
  const auto reported = [](auto failure) {
    return win32::ReportedError(std::make_exception_ptr(failure)).Number();
  };
  EXPECT_EQ(reported(RunError(err::kFileNotFound)), err::kFileNotFound);
  EXPECT_EQ(reported(std::bad_alloc()), err::kOutOfMemory);
  EXPECT_EQ(reported(std::logic_error("a fault of the program")), err::kInternalError);
}

TEST_F(Contract, Win32AProgramThatIsThereButNoProgramCannotStart) {
  // Tried again briefly, as a program a scanner holds for a moment would be.
  files.WriteBytes(dir + "NoProgram.exe", "plain text");
  EXPECT_EQ(ErrorOf([&] { system.StartProcess("\"" + dir + "NoProgram.exe\" /s"); }),
            err::kFileNotFound);
}

TEST_F(Contract, Win32TheCommandTailFollowsTheProgramsPathQuotedOrNot) {
  const std::vector<std::pair<const wchar_t*, const char*>> lines = {
      {L"\"C:\\My Sets\\Tumbledeck.exe\" \"C:\\My Sets\\Gold\"", "\"C:\\My Sets\\Gold\""},
      {L"C:\\Sets\\Tumbledeck.exe  Gold Set", "Gold Set"},  // a scheduled task's
      {L"C:\\Sets\\Tumbledeck.exe", ""},
      {L"\"C:\\Sets\\Tumbledeck.exe", ""},
  };
  for (const auto& [line, tail] : lines) EXPECT_EQ(win32::CommandTailOf(line), tail);
}

TEST_F(Contract, Win32AWriteThatFailsMidwayIsReported) {
  // Wine's Z: is the Unix root, where /dev/full takes no byte.
  EXPECT_EQ(ErrorOf([&] { files.WriteBytes("Z:\\dev\\full", "a card"); }), err::kDiskFull);
}

TEST_F(Contract, Win32ANameWithALoneSurrogateIsNoText) {
  // NTFS keeps such names; Wine cannot make one, so the listing's skip is tried here.
  EXPECT_FALSE(win32::TryNarrow(std::wstring(L"card") + wchar_t(0xD800)));
  EXPECT_EQ(win32::TryNarrow(L"card"), "card");
}

// A picture's header may be sound and the rest not: it decodes to nothing, and the view
// draws a plain box instead.
TEST_F(Contract, Win32APictureThatFailsPastItsHeaderDecodesToNothing) {
  const std::string picture = SolidJpeg(16, 8, RGB(10, 200, 10));
  ASSERT_TRUE(win32::DecodePicture(picture, 16, 8)) << "sound";
  EXPECT_FALSE(win32::DecodePicture(picture, 0, 8)) << "no size";
  EXPECT_FALSE(win32::DecodePicture(picture, 20000, 20000)) << "beyond the largest picture";
  const size_t scan = picture.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  for (const size_t cut : {scan, scan + 14}) {
    const std::string damaged = picture.substr(0, cut);
    EXPECT_FALSE(win32::DecodePicture(damaged, 16, 8)) << "cut at " << cut;
    EXPECT_FALSE(win32::DecodePicture(damaged, 32, 16)) << "cut at " << cut << ", scaled";
  }
}

}  // namespace
}  // namespace td::contract
