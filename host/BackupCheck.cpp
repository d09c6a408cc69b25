// After a back-up: does saveorig\data hold every card picture of the host? A script
// that stopped early, or that could not read the host's folder, would otherwise end
// the run as if the back-up had worked, and a later switch would overwrite the host's
// cards with no back-up behind them.
#include <optional>
#include <string>

#include "host/Backup.h"
#include "host/HostLayout.h"
#include "run/MasterFolder.h"
#include "run/TextUtil.h"

namespace td {

namespace {

struct CardCount {
  int cards = 0;  // card pictures in the host's data folder
  int saved = 0;  // of them, those in the back-up with the same size
};

// The host's card pictures, and which of them the back-up holds; nothing when the
// host's folder cannot be read to the end.
std::optional<CardCount> CountSavedCards(FileSystem& files, const std::string& host,
                                         const std::string& backup) {
  if (!IsAbsolutePath(host) || !files.IsFolder(host)) return std::nullopt;
  CardCount count;
  try {
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
  } catch (const RunError&) {
    return std::nullopt;
  }
  return count;
}

std::string IncompleteBackupText(const std::optional<CardCount>& count, const std::string& host,
                                 const std::string& backup) {
  std::string text = "The back-up is incomplete: ";
  if (count) {
    text += std::to_string(count->saved) + " of " + std::to_string(count->cards) +
            " card pictures were saved in \"" + backup + "\".";
  } else {
    text += "Pixadore's card folder \"" + host +
            "\" could not be read, so its card pictures may be missing from \"" + backup + "\".";
  }
  return text + "\r\n\r\nMake the back-up again before you install another card set.";
}

}  // namespace

void CheckBackup(FileSystem& files, Screen& screen, const RunState& run, bool scriptFinished) {
  const std::string backup = run.MyPath + names::kBackupData + "\\";
  const auto count = CountSavedCards(files, run.HostDataPath, backup);
  if (scriptFinished && count && count->saved == count->cards) return;
  if (!scriptFinished) {
    // The marker the script left would travel with a restored back-up; one that cannot
    // go changes nothing about the report.
    try {
      files.RemoveFile(run.MyPath + names::kBackupMarker, IfMissing::kIgnore);
    } catch (const RunError&) {
    }
  }
  screen.ShowMessage(IncompleteBackupText(count, run.HostDataPath, backup));
}

}  // namespace td
