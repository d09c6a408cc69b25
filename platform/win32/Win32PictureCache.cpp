#include "platform/win32/Win32PictureCache.h"

namespace td::win32 {
namespace {

// About fifty cards of 480 x 640: several screens full at any resolution.
constexpr std::size_t kSharedBudget = 64u << 20;
// Damaged or changed pictures cost no pixels; this bounds how many are remembered.
constexpr std::size_t kMostEntries = 256;

std::size_t BytesOf(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

}  // namespace

std::shared_ptr<const DecodedPicture> PictureCache::Get(
    const std::shared_ptr<const PictureFile>& picture, int width, int height) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->picture == picture && it->width == width && it->height == height) {
      entries_.splice(entries_.begin(), entries_, it);
      // The pixels are the file's as it was: a file changed since is no longer the card's.
      if (it->decoded && !IsUnchanged(*picture)) {
        used_ -= BytesOf(width, height);
        it->decoded.reset();
      }
      return it->decoded;
    }
  }
  std::shared_ptr<const DecodedPicture> decoded;
  const std::optional<std::string> bytes = ReadPictureBytes(*picture);
  if (auto pixels = bytes ? DecodePicture(*bytes, width, height) : std::nullopt) {
    decoded = std::make_shared<const DecodedPicture>(std::move(*pixels));
  }
  entries_.push_front({picture, width, height, decoded});
  used_ += decoded ? BytesOf(width, height) : 0;
  Evict();
  return decoded;
}

void PictureCache::Evict() {
  // The newest entry stays even when it alone is over the budget: it is being drawn.
  while ((used_ > budget_ || entries_.size() > kMostEntries) && entries_.size() > 1) {
    const Entry& last = entries_.back();
    used_ -= last.decoded ? BytesOf(last.width, last.height) : 0;
    entries_.pop_back();
  }
}

PictureCache& PictureCache::Shared() {
  static PictureCache cache(kSharedBudget);
  return cache;
}

}  // namespace td::win32
