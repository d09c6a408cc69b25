// The back-up's copy where the system's command interpreter cannot make it.
#include <string>
#include <vector>

#include "host/Backup.h"
#include "host/HostLayout.h"
#include "platform/AsciiCase.h"
#include "run/MasterFolder.h"
#include "run/TextUtil.h"

namespace td {

namespace {

bool Excluded(const std::string& path) {
  const std::string lower = LowerAscii(path);
  for (const char* entry : kBackupExclusions) {
    if (lower.find(LowerAscii(entry)) != std::string::npos) return true;
  }
  return false;
}

class TreeCopy {
 public:
  TreeCopy(FileSystem& files, Screen& screen) : files_(files), screen_(screen) {}

  // Copies the files of `from` and of its subfolders into `to`; both end in "\". A folder
  // is made only where it holds a file.
  void Folder(const std::string& from, const std::string& to) {
    std::vector<std::string> subfolders;
    try {
      const auto listing = files_.List(from + "*");
      while (const auto name = listing->Next()) {
        if (*name == "." || *name == "..") continue;
        if (files_.Attributes(from + *name) & attr::kDirectory) {
          subfolders.push_back(*name);
        } else {
          File(from + *name, to, *name);
        }
      }
    } catch (const RunError&) {
      // A folder that cannot be read to the end: the check after the back-up tells.
    }
    for (const std::string& folder : subfolders) Folder(from + folder + "\\", to + folder + "\\");
  }

 private:
  // As xcopy does, the file's folder is made even where the file itself is left out.
  void File(const std::string& from, const std::string& folder, const std::string& name) {
    try {
      MakeFolders(folder);
      if (!Excluded(from)) files_.Copy(from, folder + name);
    } catch (const RunError&) {
    }
    screen_.DoEvents();
  }

  // The folder and those above it that are missing.
  void MakeFolders(const std::string& folder) {
    if (folder.size() < 4 || files_.IsFolder(folder)) return;
    const std::string withoutSlash = folder.substr(0, folder.size() - 1);
    MakeFolders(withoutSlash.substr(0, withoutSlash.rfind('\\') + 1));
    files_.MakeFolder(withoutSlash);
  }

  FileSystem& files_;
  Screen& screen_;
};

}  // namespace

void CopyHostIntoBackup(FileSystem& files, Screen& screen, const RunState& run) {
  if (!IsAbsolutePath(run.HostDataPath) || !files.IsFolder(run.HostDataPath)) return;
  TreeCopy(files, screen).Folder(run.HostDataPath, run.MyPath + names::kBackupData + "\\");
}

}  // namespace td
