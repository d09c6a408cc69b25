// FileSystem on the Win32 file API.
#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/Wildcard.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Text.h"

namespace td::win32 {
namespace {

constexpr DWORD kLeftOut = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// The classic attribute bits: read-only, hidden, system, volume, directory, archive.
constexpr DWORD kReportedBits = 0x3F;

// Windows lets a run of "?" at the end of a name's pattern stand for fewer characters;
// Wine does not. So a pattern with "?" asks the system for a wider pattern ("?" as "*")
// and keeps the names that the Windows rule accepts, on both.
struct ListingPattern {
  std::wstring query;  // what FindFirstFileW is asked
  std::string filter;  // the last component that names must match, or empty: no filter
};

ListingPattern Widened(const std::string& pattern) {
  const size_t slash = pattern.find_last_of('\\');
  const std::string last = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  if (last.find('?') == std::string::npos) return {Widen(pattern), {}};
  std::string wide = pattern;
  for (size_t i = slash == std::string::npos ? 0 : slash + 1; i < wide.size(); ++i) {
    if (wide[i] == '?') wide[i] = '*';
  }
  return {Widen(wide), last};
}

class Win32Listing : public DirectoryListing {
 public:
  explicit Win32Listing(const ListingPattern& pattern)
      : filter_(pattern.filter), find_(FindFirstFileW(pattern.query.c_str(), &data_)) {
    if (find_) {
      pending_ = true;
    } else if (!IsNotFound(GetLastError())) {
      // No match and no such folder are an empty listing; anything else is a failure.
      ThrowLastError(Subject::kFolder);
    }
  }

  std::optional<std::string> Next() override {
    while (pending_) {
      const WIN32_FIND_DATAW current = data_;
      pending_ = FindNextFileW(find_.Get(), &data_) != FALSE;
      if (!pending_ && GetLastError() != ERROR_NO_MORE_FILES) ThrowLastError(Subject::kFolder);
      if (current.dwFileAttributes & kLeftOut) continue;
      // A name that is no valid UTF-16 (a lone surrogate) cannot be named by any path.
      const auto converted = TryNarrow(current.cFileName);
      if (!converted) continue;
      const std::string& name = *converted;
      if (filter_.empty() || MatchesWildcard(filter_, name)) return name;
    }
    return std::nullopt;
  }

 private:
  std::string filter_;
  WIN32_FIND_DATAW data_{};
  FindHandle find_;
  bool pending_ = false;
};

// True when every component is a valid 8.3 name: plain ASCII without blanks, at most
// eight characters and an extension of at most three.
bool IsShortPath(const std::wstring& path) {
  size_t start = path.size() > 1 && path[1] == L':' ? 2 : 0;
  while (start < path.size()) {
    const size_t end = std::min(path.find(L'\\', start), path.size());
    const std::wstring part = path.substr(start, end - start);
    const size_t dot = part.find(L'.');
    const size_t base = std::min(dot, part.size());
    const size_t extension = dot == std::wstring::npos ? 0 : part.size() - dot - 1;
    for (const wchar_t c : part) {
      if (c <= L' ' || c >= 0x7F) return false;
    }
    if (base > 8 || extension > 3 || (!part.empty() && base == 0)) return false;
    start = end + 1;
  }
  return true;
}

// A file opened for reading with every kind of sharing allowed: another program may be
// writing it.
KernelHandle OpenForReading(const std::string& path) {
  KernelHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) ThrowLastError(Subject::kPath);
  return file;
}

// The attributes of an entry, or INVALID_FILE_ATTRIBUTES with GetLastError() set.
DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

// A file about to be replaced: tested first, as Wine run as root would otherwise replace
// a read-only file.
void RefuseReadOnlyTarget(const std::wstring& name) {
  const DWORD attributes = AttributesOf(name);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    throw ErrorFromWin32(ERROR_ACCESS_DENIED);
  }
}

class Win32FileSystem : public FileSystem {
 public:
  std::unique_ptr<DirectoryListing> List(const std::string& pattern) override {
    return std::make_unique<Win32Listing>(Widened(pattern));
  }

  uint32_t Attributes(const std::string& path) override {
    const DWORD attributes = AttributesOf(Widen(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError(Subject::kEntry);
    return attributes & kReportedBits;
  }

  bool IsPlainFile(const std::string& path) override {
    const DWORD attributes = AttributesOf(Widen(path));
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | kLeftOut)) == 0;
  }

  bool IsFolder(const std::string& path) override {
    const DWORD attributes = AttributesOf(Widen(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::optional<std::string> ShortPath(const std::string& path) override {
    return ShortPathOf(path);
  }

  uint64_t FileSize(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) {
      ThrowLastError(Subject::kEntry);
    }
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  std::string ReadBytes(const std::string& path) override { return ReadWholeFile(path); }

  std::string ReadHead(const std::string& path, std::size_t maxBytes) override {
    return ReadFileHead(path, maxBytes);
  }

  void WriteBytes(const std::string& path, std::string_view bytes) override {
    const std::wstring name = Widen(path);
    RefuseReadOnlyTarget(name);
    const KernelHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowLastError(Subject::kPath);
    size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
      DWORD written = 0;
      if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr)) {
        ThrowLastError(Subject::kPath);
      }
      if (written == 0) throw DiskFullError();
      done += written;
    }
  }

  void MakeFolder(const std::string& path) override {
    if (!CreateDirectoryW(Widen(path).c_str(), nullptr)) ThrowLastError(Subject::kFolder);
  }

  void Copy(const std::string& from, const std::string& to) override {
    const std::wstring target = Widen(to);
    RefuseReadOnlyTarget(target);
    if (!CopyFileW(Widen(from).c_str(), target.c_str(), FALSE)) ThrowLastError(Subject::kEntry);
  }

  void RemoveFile(const std::string& path, IfMissing ifMissing) override {
    const std::wstring name = Widen(path);
    if (DeleteFileW(name.c_str())) return;
    const DWORD error = GetLastError();
    const DWORD attributes = AttributesOf(name);
    // A folder is no file to delete: it counts as nothing there, as a missing file does.
    const bool missing = IsNotFound(error) || (attributes != INVALID_FILE_ATTRIBUTES &&
                                               (attributes & FILE_ATTRIBUTE_DIRECTORY));
    if (missing && ifMissing == IfMissing::kIgnore) return;
    throw ErrorFromWin32(missing ? ERROR_FILE_NOT_FOUND : error, Subject::kEntry);
  }

  void ChangeFolder(const std::string& path) override {
    if (!SetCurrentDirectoryW(Widen(path).c_str())) ThrowLastError(Subject::kFolder);
  }
};

}  // namespace

std::string ReadFileHead(const std::string& path, std::size_t maxBytes) {
  const KernelHandle file = OpenForReading(path);
  std::string content;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0) {
    content.reserve(std::min(static_cast<size_t>(size.QuadPart), maxBytes));
  }
  // Read to the end (or the limit) rather than trusting the size: another program may be
  // writing.
  char buffer[64 * 1024];
  while (content.size() < maxBytes) {
    const DWORD wanted = static_cast<DWORD>(std::min(sizeof buffer, maxBytes - content.size()));
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer, wanted, &got, nullptr)) ThrowLastError(Subject::kPath);
    if (got == 0) break;
    content.append(buffer, got);
  }
  return content;
}

std::optional<std::string> ShortPathOf(const std::string& path) {
  const std::wstring name = Widen(path);
  const auto shortName = FillBuffer([&name](wchar_t* buffer, unsigned long size) {
    return GetShortPathNameW(name.c_str(), buffer, size);
  });
  // Where a volume keeps no short names, the long names come back unchanged.
  if (!shortName || !IsShortPath(*shortName)) return std::nullopt;
  return Narrow(*shortName);
}

std::string ReadWholeFile(const std::string& path) {
  return ReadFileHead(path, std::numeric_limits<size_t>::max());
}

std::unique_ptr<FileSystem> CreateFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace td::win32
