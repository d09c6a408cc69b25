// The fill of the card viewer: every card folder of the host's data folder, in three
// passes, each card's picture added to the view.
#include "host/HostLayout.h"
#include "run/TextUtil.h"
#include "viewer/Form3.h"
#include "viewer/Richtext.h"

namespace td {

namespace {

// The next name of a listing; a listing that cannot go on ends like an exhausted one.
std::optional<std::string> NextName(DirectoryListing& listing) {
  try {
    return listing.Next();
  } catch (const RunError&) {
    return std::nullopt;
  }
}

}  // namespace

bool Form3::LoadCardImages() {
  // An empty or relative path (no host registered) would list the current folder.
  if (!IsAbsolutePath(run_.HostDataPath)) return true;
  for (const char* pattern : kCardFolderPatterns) {
    if (!ListCardFolders(pattern)) return false;
  }
  return true;
}

bool Form3::ListCardFolders(const std::string& pattern) {
  std::unique_ptr<DirectoryListing> listing;
  try {
    listing = platform_.FileSystem().List(run_.HostDataPath + pattern);
  } catch (const RunError&) {
    return true;  // a listing that cannot start ends its pass; the next pass still runs
  }
  for (auto name = NextName(*listing); name && !name->empty();) {
    if (*name != "." && *name != "..") ShowCard(*name);
    name = NextName(*listing);
    platform_.Screen().DoEvents();
    if (!Loaded()) return false;
  }
  return true;
}

void Form3::ShowCard(const std::string& card) {
  try {
    const std::string& host = run_.HostDataPath;
    if ((platform_.FileSystem().Attributes(host + card) & attr::kDirectory) == 0) return;
    auto picture = platform_.Pictures().LoadPicture(CardPicturePath(host, card));
    InsertPicture(*RichTextBox1, *picture);
    lastCard_ = std::move(picture);
  } catch (const RunError&) {
    // A card that cannot be read or inserted costs only itself.
  }
}

}  // namespace td
