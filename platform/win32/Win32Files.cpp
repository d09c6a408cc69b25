// FileSystem on the Win32 file API.
#include <windows.h>

#include <algorithm>

#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Text.h"

namespace td::win32 {
namespace {

constexpr DWORD kLeftOut = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// The classic attribute bits: read-only, hidden, system, volume, directory, archive.
constexpr DWORD kReportedBits = 0x3F;

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

class Win32Listing : public DirectoryListing {
 public:
  explicit Win32Listing(const std::wstring& pattern) {
    // A missing folder or no match both end here with an invalid handle: an empty listing.
    find_ = FindFirstFileW(pattern.c_str(), &data_);
    pending_ = find_ != INVALID_HANDLE_VALUE;
  }
  ~Win32Listing() override {
    if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
  }
  Win32Listing(const Win32Listing&) = delete;
  Win32Listing& operator=(const Win32Listing&) = delete;

  std::optional<std::string> Next() override {
    while (pending_) {
      const WIN32_FIND_DATAW current = data_;
      pending_ = FindNextFileW(find_, &data_) != FALSE;
      if ((current.dwFileAttributes & kLeftOut) == 0) return Narrow(current.cFileName);
    }
    return std::nullopt;
  }

 private:
  HANDLE find_ = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW data_{};
  bool pending_ = false;
};

class Win32FileSystem : public FileSystem {
 public:
  std::unique_ptr<DirectoryListing> List(const std::string& pattern) override {
    return std::make_unique<Win32Listing>(Widen(pattern));
  }

  uint32_t Attributes(const std::string& path) override {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        throw RunError(err::kFileNotFound);
      }
      throw ErrorFromWin32(error, err::kFileNotFound);
    }
    return attributes & kReportedBits;
  }

  bool IsPlainFile(const std::string& path) override {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | kLeftOut)) == 0;
  }

  std::string ReadBytes(const std::string& path) override { return ReadWholeFile(path); }

  void WriteBytes(const std::string& path, std::string_view bytes) override {
    const std::wstring name = Widen(path);
    // Tested first: Wine run as root would otherwise truncate a read-only file.
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
      throw RunError(err::kPathFileAccess);
    }
    Handle file(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) ThrowLastError();
    size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
      DWORD written = 0;
      if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr)) {
        ThrowLastError();
      }
      if (written == 0) throw DiskFullError();
      done += written;
    }
  }

  void MakeFolder(const std::string& path) override {
    // Every failure, an existing folder included, is the one "path/file access" error.
    if (!CreateDirectoryW(Widen(path).c_str(), nullptr)) {
      throw RunError(err::kPathFileAccess);
    }
  }

  void RemoveFile(const std::string& path) override {
    if (!DeleteFileW(Widen(path).c_str())) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        throw RunError(err::kFileNotFound);
      }
      throw ErrorFromWin32(error);
    }
  }

  void ChangeFolder(const std::string& path) override {
    if (!SetCurrentDirectoryW(Widen(path).c_str())) {
      const DWORD error = GetLastError();
      // A missing folder is reported as a missing file by some systems.
      if (error == ERROR_FILE_NOT_FOUND) throw RunError(err::kPathNotFound);
      throw ErrorFromWin32(error, err::kPathNotFound);
    }
  }
};

}  // namespace

std::string ReadWholeFile(const std::string& path) {
  Handle file(CreateFileW(Widen(path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) ThrowLastError();
  std::string content;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
    content.reserve(static_cast<size_t>(size.QuadPart));
  }
  // Read to the end rather than trusting the size: another program may be writing.
  char buffer[64 * 1024];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) ThrowLastError();
    if (got == 0) break;
    content.append(buffer, got);
  }
  return content;
}

std::unique_ptr<FileSystem> CreateFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace td::win32
