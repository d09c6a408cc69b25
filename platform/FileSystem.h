// Files: the file system as the program sees it, paths and names in UTF-8 and contents
// as raw bytes. Every failure is a RunError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/RunError.h"

namespace td {

// File attribute bits as the platform reports them.
namespace attr {
constexpr uint32_t kReadOnly = 1;
constexpr uint32_t kHidden = 2;
constexpr uint32_t kSystem = 4;
constexpr uint32_t kDirectory = 16;
}  // namespace attr

// One directory search; each listing has a cursor of its own, so listings may nest.
class DirectoryListing {
 public:
  virtual ~DirectoryListing() = default;
  // The next matching name (no folder part), or nothing when the listing is exhausted.
  virtual std::optional<std::string> Next() = 0;
};

// What a deletion does when there is nothing to delete.
enum class IfMissing { kFail, kIgnore };

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Entries matching a path whose last component may hold the wildcards * and ?,
  // plain files and folders together, "." and ".." included where the folder has them;
  // hidden and system entries are left out, and so are names that no text can spell
  // (not valid UTF-16): no path could name them. A folder that does not exist, or a
  // pattern that matches nothing, yields an empty listing; any other failure (access
  // denied, a bad name) throws RunError, at the start or at any later Next().
  virtual std::unique_ptr<DirectoryListing> List(const std::string& pattern) = 0;
  // Attribute bits of an existing entry; throws RunError 53 when there is none.
  virtual uint32_t Attributes(const std::string& path) = 0;
  // True for an existing plain file that is neither hidden nor a system file.
  virtual bool IsPlainFile(const std::string& path) = 0;
  // True for an existing folder.
  virtual bool IsFolder(const std::string& path) = 0;
  // The 8.3 short form of an existing path, where the file system keeps one for each of
  // its components (many Windows volumes do, some do not); nothing otherwise.
  virtual std::optional<std::string> ShortPath(const std::string& path) = 0;
  // Size in bytes of an existing file; throws RunError 53 when there is none.
  virtual uint64_t FileSize(const std::string& path) = 0;
  // The whole content of a file; throws RunError (53, 70, 75) when it cannot be read.
  virtual std::string ReadBytes(const std::string& path) = 0;
  // The first `maxBytes` bytes of a file (all of a shorter one), for files of which
  // only the start matters, whatever their size; fails as ReadBytes does.
  virtual std::string ReadHead(const std::string& path, std::size_t maxBytes) = 0;
  // Creates the file or replaces its content; throws RunError when it cannot.
  virtual void WriteBytes(const std::string& path, std::string_view bytes) = 0;
  // Copies a file to `to`, replacing a file there unless it is read-only; throws RunError
  // (53 when there is no such file) when it cannot.
  virtual void Copy(const std::string& from, const std::string& to) = 0;
  // Creates one folder; throws RunError 75 when it exists or cannot be made.
  virtual void MakeFolder(const std::string& path) = 0;
  // Deletes one plain file. Nothing there (or a folder there) throws RunError 53 unless
  // ifMissing says to ignore it; a file that exists but cannot go always throws.
  virtual void RemoveFile(const std::string& path, IfMissing ifMissing) = 0;
  // Makes a folder the current one (relative paths resolve against the current one);
  // throws RunError 76 when there is no such folder.
  virtual void ChangeFolder(const std::string& path) = 0;
};

}  // namespace td
