#include "platform/sim/SimFileSystem.h"

#include "platform/AsciiCase.h"
#include "platform/Wildcard.h"
#include "platform/sim/CodePages.h"

#include <algorithm>
#include <functional>

namespace td::sim {

namespace {

bool SameName(const std::string& a, const std::string& b) { return SameIgnoringAsciiCase(a, b); }

bool ContainsNoCase(const std::string& text, const std::string& part) {
  return std::search(text.begin(), text.end(), part.begin(), part.end(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         }) != text.end();
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path + "\\") {
    if (c != '\\' && c != '/') {
      part += c;
      continue;
    }
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  }
  return parts;
}

const RunError kAccessDenied{err::kPathFileAccess};

// Names Windows refuses: text that is no UTF-8 (the conversion fails), characters no
// name may hold, and wildcards outside the last component of a listing's pattern.
void CheckName(const std::string& path, bool wildcardsAtEnd) {
  CheckUtf8(path);
  const std::size_t last = path.find_last_of('\\');
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    const bool wildcard = c == '*' || c == '?';
    const bool forbidden = c < 0x20 || c == '<' || c == '>' || c == '|' || c == '"' ||
                           (c == ':' && i != 1);
    if (forbidden || (wildcard && !(wildcardsAtEnd && (last == std::string::npos || i > last)))) {
      throw RunError(err::kBadFileName);
    }
  }
}

class SnapshotListing : public DirectoryListing {
 public:
  SnapshotListing(std::vector<std::string> names, std::optional<std::size_t> failAfter)
      : names_(std::move(names)), failAfter_(failAfter) {}
  std::optional<std::string> Next() override {
    if (failAfter_ && next_ == *failAfter_) throw RunError(err::kPathFileAccess);
    if (next_ == names_.size()) return std::nullopt;
    return names_[next_++];
  }

 private:
  std::vector<std::string> names_;
  std::optional<std::size_t> failAfter_;
  std::size_t next_ = 0;
};

}  // namespace

struct SimFileSystem::Node {
  std::string name;
  bool folder = false;
  uint32_t attributes = 0;
  Access access;
  std::optional<std::size_t> listingsFailAfter;
  std::string shortName;
  std::string content;
  uint64_t sparseSize = 0;  // a file larger than its content: zeros follow
  std::vector<std::unique_ptr<Node>> children;  // in listing order
  std::map<std::string, Node*> byLowerName;      // so that large folders stay fast

  Node* Child(const std::string& childName) const {
    const auto found = byLowerName.find(LowerAscii(childName));
    if (found != byLowerName.end()) return found->second;
    for (const auto& child : children) {
      if (!child->shortName.empty() && SameName(child->shortName, childName)) return child.get();
    }
    return nullptr;
  }
  Node& AddChild(const std::string& childName, bool isFolder) {
    children.push_back(std::make_unique<Node>());
    Node& child = *children.back();
    child.name = childName;
    child.folder = isFolder;
    byLowerName[LowerAscii(childName)] = &child;
    return child;
  }
  void RemoveChild(const std::string& childName) {
    byLowerName.erase(LowerAscii(childName));
    std::erase_if(children, [&](const auto& child) { return SameName(child->name, childName); });
  }
  uint64_t Size() const { return std::max<uint64_t>(content.size(), sparseSize); }
  bool ReadOnly() const { return (attributes & attr::kReadOnly) != 0; }
  bool Writable() const { return access.change; }
  bool Hidden() const { return (attributes & (attr::kHidden | attr::kSystem)) != 0; }
};

SimFileSystem::SimFileSystem() { Drive('C'); }

SimFileSystem::~SimFileSystem() = default;

SimFileSystem::Node& SimFileSystem::Drive(char letter) {
  auto& drive = drives_[static_cast<char>(letter & ~0x20)];
  if (!drive) {
    drive = std::make_unique<Node>();
    drive->folder = true;
  }
  return *drive;
}

std::string SimFileSystem::FullPath(const std::string& path) const {
  std::string absolute;
  if (path.size() >= 2 && path[1] == ':') {
    absolute = path;
  } else if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
    absolute = current_.substr(0, 2) + path;
  } else {
    absolute = current_ + "\\" + path;
  }
  std::string full = std::string(1, static_cast<char>(absolute[0] & ~0x20)) + ":";
  const auto parts = SplitPath(absolute.substr(2));
  for (const auto& part : parts) full += "\\" + part;
  return parts.empty() ? full + "\\" : full;
}

SimFileSystem::Node* SimFileSystem::Find(const std::string& path) const {
  const std::string full = FullPath(path);
  const auto drive = drives_.find(full[0]);
  if (drive == drives_.end()) return nullptr;
  Node* node = drive->second.get();
  for (const auto& part : SplitPath(full.substr(2))) {
    node = node->folder ? node->Child(part) : nullptr;
    if (!node) return nullptr;
  }
  return node;
}

SimFileSystem::Node* SimFileSystem::ParentOf(const std::string& fullPath, std::string* leaf) const {
  const auto slash = fullPath.rfind('\\');
  *leaf = fullPath.substr(slash + 1);
  Node* parent = Find(fullPath.substr(0, slash + 1));
  return parent && parent->folder ? parent : nullptr;
}

std::unique_ptr<DirectoryListing> SimFileSystem::List(const std::string& pattern) {
  CheckName(pattern, true);
  const std::string full = FullPath(pattern);
  std::string wildcard;
  const Node* folder = ParentOf(full, &wildcard);
  std::vector<std::string> names;
  if (folder && !folder->access.list) throw kAccessDenied;
  if (folder) {
    const bool root = full.find('\\') == full.rfind('\\');
    if (!root) {
      for (const char* dots : {".", ".."}) {
        if (MatchesWildcard(wildcard, dots)) names.emplace_back(dots);
      }
    }
    for (const auto& child : folder->children) {
      // A name that is no valid text (a lone surrogate on Windows) is left out.
      if (!child->Hidden() && IsUtf8(child->name) && MatchesWildcard(wildcard, child->name)) {
        names.push_back(child->name);
      }
    }
  }
  return std::make_unique<SnapshotListing>(std::move(names),
                                           folder ? folder->listingsFailAfter : std::nullopt);
}

uint32_t SimFileSystem::Attributes(const std::string& path) {
  CheckName(path, false);
  const Node* node = Find(path);
  if (!node) throw RunError(err::kFileNotFound);
  return node->attributes | (node->folder ? attr::kDirectory : 0);
}

bool SimFileSystem::IsPlainFile(const std::string& path) {
  const Node* node = Find(path);
  return node && !node->folder && !node->Hidden();
}

uint64_t SimFileSystem::FileSize(const std::string& path) {
  CheckName(path, false);
  const Node* node = Find(path);
  if (!node) throw RunError(err::kFileNotFound);
  return node->folder ? 0 : node->Size();
}

const SimFileSystem::Node& SimFileSystem::FileToRead(const std::string& path) const {
  CheckName(path, false);
  const Node* node = Find(path);
  std::string leaf;
  if (!node && !ParentOf(FullPath(path), &leaf)) throw RunError(err::kPathNotFound);
  if (!node) throw RunError(err::kFileNotFound);
  if (node->folder) throw RunError(err::kPathFileAccess);
  return *node;
}

std::string SimFileSystem::ReadBytes(const std::string& path) {
  const Node& file = FileToRead(path);
  if (file.Size() > kLargestWholeRead) throw RunError(err::kOutOfMemory);
  return file.content;
}

std::string SimFileSystem::ReadHead(const std::string& path, std::size_t maxBytes) {
  return FileToRead(path).content.substr(0, maxBytes);
}

void SimFileSystem::WriteBytes(const std::string& path, std::string_view bytes) {
  CheckName(path, false);
  std::string leaf;
  Node* parent = ParentOf(FullPath(path), &leaf);
  if (!parent) throw RunError(err::kPathNotFound);
  Node* node = parent->Child(leaf);
  if (node && (node->folder || node->ReadOnly() || node->Hidden())) {
    throw RunError(err::kPathFileAccess);
  }
  if (!parent->Writable()) throw kAccessDenied;
  if (!node) node = &parent->AddChild(leaf, false);
  node->content = std::string(bytes);
}

void SimFileSystem::MakeFolder(const std::string& path) {
  CheckName(path, false);
  std::string leaf;
  Node* parent = ParentOf(FullPath(path), &leaf);
  if (!parent) throw RunError(err::kPathNotFound);
  if (leaf.empty() || parent->Child(leaf) || !parent->Writable()) {
    throw RunError(err::kPathFileAccess);
  }
  parent->AddChild(leaf, true);
}

void SimFileSystem::Copy(const std::string& from, const std::string& to) {
  const Node* node = Find(from);
  if (!node || node->folder) throw RunError(err::kFileNotFound);
  WriteBytes(to, node->content);
}

void SimFileSystem::RemoveFile(const std::string& path, IfMissing ifMissing) {
  CheckName(path, false);
  std::string leaf;
  Node* parent = ParentOf(FullPath(path), &leaf);
  Node* node = parent ? parent->Child(leaf) : nullptr;
  if (!node || node->folder) {
    if (ifMissing == IfMissing::kIgnore) return;
    throw RunError(err::kFileNotFound);
  }
  if (node->ReadOnly() || !parent->Writable()) throw kAccessDenied;
  Erase(path);
}

void SimFileSystem::ChangeFolder(const std::string& path) {
  CheckName(path, false);
  const Node* node = Find(path);
  if (!node || !node->folder) throw RunError(err::kPathNotFound);
  current_ = FullPath(path);
  if (current_.back() == '\\') current_.pop_back();
}

void SimFileSystem::AddFolder(const std::string& path) {
  const std::string full = FullPath(path);
  Node* node = &Drive(full[0]);
  for (const auto& part : SplitPath(full.substr(2))) {
    Node* child = node->Child(part);
    node = child ? child : &node->AddChild(part, true);
  }
}

void SimFileSystem::AddFile(const std::string& path, std::string_view bytes, uint32_t attributes) {
  const std::string full = FullPath(path);
  AddFolder(full.substr(0, full.rfind('\\') + 1));
  if (Node* old = Find(full)) old->attributes = 0;
  WriteBytes(full, bytes);
  Find(full)->attributes = attributes;
}

void SimFileSystem::AddSparseFile(const std::string& path, std::string_view head, uint64_t size) {
  AddFile(path, head);
  Find(path)->sparseSize = size;
}

void SimFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  Node* node = Find(path);
  if (!node) throw RunError(err::kFileNotFound);
  node->attributes = attributes & ~attr::kDirectory;
}

void SimFileSystem::SetAccess(const std::string& folder, Access access) {
  Node* node = Find(folder);
  if (!node || !node->folder) throw RunError(err::kPathNotFound);
  node->access = access;
}

void SimFileSystem::FailListingsAfter(const std::string& folder, int entries) {
  Node* node = Find(folder);
  if (!node || !node->folder) throw RunError(err::kPathNotFound);
  node->listingsFailAfter = static_cast<std::size_t>(entries);
}

bool SimFileSystem::Exists(const std::string& path) const { return Find(path) != nullptr; }

bool SimFileSystem::IsFolder(const std::string& path) {
  const Node* node = Find(path);
  return node && node->folder;
}

namespace {

// A name that may stand as its own short name: at most eight characters, an optional
// extension of at most three, no blanks, plain ASCII.
bool IsShortName(const std::string& name) {
  const auto dot = name.find('.');
  const std::string base = name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  const bool plain = std::all_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) > ' ' && static_cast<unsigned char>(c) < 0x7F;
  });
  return plain && !base.empty() && base.size() <= 8 && extension.size() <= 3 &&
         extension.find('.') == std::string::npos;
}

}  // namespace

std::optional<std::string> SimFileSystem::ShortPath(const std::string& path) {
  CheckName(path, false);
  const std::string full = FullPath(path);
  const auto drive = drives_.find(full[0]);
  if (drive == drives_.end()) return std::nullopt;
  std::string shortPath = full.substr(0, 2);
  const Node* node = drive->second.get();
  for (const auto& part : SplitPath(full.substr(2))) {
    node = node->folder ? node->Child(part) : nullptr;
    if (!node) return std::nullopt;
    if (!node->shortName.empty()) {
      shortPath += "\\" + node->shortName;
    } else if (IsShortName(node->name)) {
      shortPath += "\\" + node->name;
    } else {
      return std::nullopt;
    }
  }
  if (!path.empty() && path.back() == '\\' && shortPath.back() != '\\') shortPath += "\\";
  return shortPath;
}

void SimFileSystem::SetShortName(const std::string& path, const std::string& shortName) {
  Node* node = Find(path);
  if (!node) throw RunError(err::kFileNotFound);
  node->shortName = shortName;
}

std::vector<std::string> SimFileSystem::Children(const std::string& folder) const {
  std::vector<std::string> names;
  if (const Node* node = Find(folder)) {
    for (const auto& child : node->children) names.push_back(child->name);
  }
  return names;
}

void SimFileSystem::Reorder(const std::string& folder, const std::vector<std::string>& firstNames) {
  Node* node = Find(folder);
  if (!node) return;
  auto rank = [&](const std::unique_ptr<Node>& child) {
    for (std::size_t i = 0; i < firstNames.size(); ++i) {
      if (SameName(firstNames[i], child->name)) return i;
    }
    return firstNames.size();
  };
  std::stable_sort(node->children.begin(), node->children.end(),
                   [&](const auto& a, const auto& b) { return rank(a) < rank(b); });
}

void SimFileSystem::Erase(const std::string& path) {
  std::string leaf;
  Node* parent = ParentOf(FullPath(path), &leaf);
  if (parent) parent->RemoveChild(leaf);
}

std::map<std::string, std::string> SimFileSystem::Snapshot(const std::string& folder) const {
  std::map<std::string, std::string> files;
  const Node* root = Find(folder);
  if (!root || !root->folder) return files;
  std::function<void(const Node&, const std::string&)> walk = [&](const Node& node,
                                                                 const std::string& prefix) {
    for (const auto& child : node.children) {
      if (child->folder) {
        walk(*child, prefix + child->name + "\\");
      } else {
        files[prefix + child->name] = child->content;
      }
    }
  };
  walk(*root, "");
  return files;
}

void SimFileSystem::CopyTree(const std::string& from, const std::string& to,
                             const std::vector<std::string>& excluded) {
  const std::string source = FullPath(from);
  const std::string target = FullPath(to);
  for (const auto& [relative, content] : Snapshot(source)) {
    const std::string sourceFile = source + "\\" + relative;
    const bool skip = std::any_of(excluded.begin(), excluded.end(), [&](const std::string& part) {
      return ContainsNoCase(sourceFile, part);
    });
    if (skip) continue;
    const std::string targetFile = FullPath(target + "\\" + relative);
    const Node* old = Find(targetFile);
    if (old && old->ReadOnly()) continue;  // xcopy reports it and goes on
    AddFile(targetFile, content);
  }
}

}  // namespace td::sim
