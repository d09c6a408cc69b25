// After a back-up: does saveorig\data hold every card picture of the host? A script
// that stopped early, or that could not read the host's folder, would otherwise end
// the run as if the back-up had worked, and a later switch would overwrite the host's
// cards with no back-up behind them.
#include <string>

#include "host/HostLayout.h"
#include "launcher/MasterFolder.h"
#include "launcher/TextUtil.h"
#include "launcher/fTumbledeck.h"

namespace td {

namespace {

struct CardCount {
  int cards = 0;  // card pictures in the host's data folder
  int saved = 0;  // of them, those in the back-up with the same size
};

// The host's card pictures, and which of them the back-up holds. A picture that cannot
// be read counts as not saved.
CardCount CountSavedCards(FileSystem& files, const std::string& host, const std::string& backup) {
  CardCount count;
  for (const char* pattern : kCardFolderPatterns) {
    auto listing = files.List(host + pattern);
    while (auto card = listing->Next()) {
      const std::string picture = CardPicturePath(host, *card);
      if (*card == "." || *card == ".." || !files.IsPlainFile(picture)) continue;
      ++count.cards;
      const std::string copy = CardPicturePath(backup, *card);
      if (files.IsPlainFile(copy) && files.FileSize(copy) == files.FileSize(picture)) {
        ++count.saved;
      }
    }
  }
  return count;
}

}  // namespace

void fTumbledeck::CheckBackup(bool scriptFinished) {
  FileSystem& files = platform_.Files();
  const std::string backup = MyPath + names::kBackupData + "\\";
  const bool hostFound = IsAbsolutePath(HostDataPath) && files.IsFolder(HostDataPath);
  CardCount count;
  if (hostFound) {
    try {
      count = CountSavedCards(files, HostDataPath, backup);
    } catch (const RunError&) {
      count.saved = -1;  // the host's folder could not be read to the end
    }
  }
  if (scriptFinished && hostFound && count.saved == count.cards) return;
  if (!scriptFinished) {
    // The marker the script left: it would otherwise travel with a restored back-up.
    try {
      files.RemoveFile(MyPath + names::kBackupMarker, IfMissing::kIgnore);
    } catch (const RunError&) {
    }
  }
  std::string text = "The back-up is incomplete: ";
  if (hostFound && count.saved >= 0) {
    text += std::to_string(count.saved) + " of " + std::to_string(count.cards) +
            " card pictures were saved in \"" + backup + "\".";
  } else {
    text += "Pixadore's card folder \"" + HostDataPath +
            "\" could not be read, so its card pictures may be missing from \"" + backup + "\".";
  }
  text += "\r\n\r\nMake the back-up again before you install another card set.";
  platform_.Screen().ShowMessage(text);
}

}  // namespace td
