// An in-memory file system with the semantics the program relies on from Windows:
// drive-letter paths with "\" separators, names compared without regard to case,
// DOS wildcards, "." and ".." entries, hidden and system entries left out of listings,
// a listing order the test controls (the order of creation unless reordered), read-only
// files that refuse changes, and folders whose access is denied as an access control
// list would (the read-only bit of a folder, as on Windows, protects nothing).
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace td::sim {

class SimFileSystem : public FileSystem {
 public:
  SimFileSystem();
  ~SimFileSystem() override;

  // --- The program's operations ---
  std::unique_ptr<DirectoryListing> List(const std::string& pattern) override;
  uint32_t Attributes(const std::string& path) override;
  bool IsPlainFile(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  std::optional<std::string> ShortPath(const std::string& path) override;
  uint64_t FileSize(const std::string& path) override;
  std::string ReadBytes(const std::string& path) override;
  std::string ReadHead(const std::string& path, std::size_t maxBytes) override;
  void WriteBytes(const std::string& path, std::string_view bytes) override;
  void MakeFolder(const std::string& path) override;
  void Copy(const std::string& from, const std::string& to) override;
  void RemoveFile(const std::string& path, IfMissing ifMissing) override;
  void ChangeFolder(const std::string& path) override;

  // --- What tests set up and inspect ---
  // Creates the folder and any missing parents.
  void AddFolder(const std::string& path);
  // Creates or replaces a file, making missing parent folders.
  void AddFile(const std::string& path, std::string_view bytes, uint32_t attributes = 0);
  // A file of `size` bytes that holds `head` and then zeros, as a sparse file does. Like
  // any file larger than kLargestWholeRead, it cannot be read whole: out of memory (7).
  void AddSparseFile(const std::string& path, std::string_view head, uint64_t size);
  static constexpr uint64_t kLargestWholeRead = 1ull << 30;
  void SetAttributes(const std::string& path, uint32_t attributes);
  // What an access control list lets the program do in a folder: list it, and create,
  // change or delete what it holds. Denied, either fails with "path/file access" (75).
  struct Access {
    bool list = true;
    bool change = true;
  };
  void SetAccess(const std::string& folder, Access access);
  // Every later listing of the folder fails after yielding `entries` names, as one on
  // a drive that goes away would.
  void FailListingsAfter(const std::string& folder, int entries);
  // Gives an entry an 8.3 short name, by which paths may name it too. Without one, a
  // name that is a valid short name already serves as its own; others have none, as on
  // a volume that keeps no short names.
  void SetShortName(const std::string& path, const std::string& shortName);
  bool Exists(const std::string& path) const;
  // Names in a folder, in listing order (no "." or "..", hidden ones included).
  std::vector<std::string> Children(const std::string& folder) const;
  // Lists children in the given order first (the others follow in their old order).
  void Reorder(const std::string& folder, const std::vector<std::string>& firstNames);
  // Deletes a file or a whole folder tree, ignoring attributes.
  void Erase(const std::string& path);
  // Every file under a folder, as relative path -> content ("a0001\a0001c.jpg").
  std::map<std::string, std::string> Snapshot(const std::string& folder) const;
  // Copies a folder tree the way "xcopy /s /y" does: files overwrite files of the same
  // name, subfolders come along unless they (and theirs) hold no file, and files whose
  // full path contains one of the excluded strings (without regard to case) stay behind.
  void CopyTree(const std::string& from, const std::string& to,
                const std::vector<std::string>& excluded = {});
  std::string CurrentFolder() const { return current_; }
  // Resolves a path against the current folder to its full form.
  std::string FullPath(const std::string& path) const;

 private:
  struct Node;
  Node* Find(const std::string& path) const;
  Node* ParentOf(const std::string& fullPath, std::string* leaf) const;
  // The file at a path, to be read; throws as reading a missing one or a folder does.
  const Node& FileToRead(const std::string& path) const;
  Node& Drive(char letter);

  std::map<char, std::unique_ptr<Node>> drives_;
  std::string current_ = "C:\\";
};

}  // namespace td::sim
