// The few pictures decoded for drawing: those on screen and those the user just scrolled
// past. A bound on their bytes keeps a view of any number of cards within a small,
// fixed amount of memory. Internal to platform/win32.
#pragma once

#include <list>
#include <memory>

#include "platform/win32/Win32Picture.h"

namespace td::win32 {

class PictureCache {
 public:
  explicit PictureCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

  // The picture decoded at that size, from the cache or read and decoded now; null when
  // its file changed or went away since it was found, or its data is damaged (a damaged
  // card is remembered, so that it is not decoded again at every paint). What it
  // returns stays valid while the caller holds it, evicted or not.
  std::shared_ptr<const DecodedPicture> Get(const std::shared_ptr<const PictureFile>& picture,
                                            int width, int height);

  // The cache that every view of the program draws from.
  static PictureCache& Shared();

 private:
  struct Entry {
    std::shared_ptr<const PictureFile> picture;
    int width;
    int height;
    std::shared_ptr<const DecodedPicture> decoded;  // null: changed, gone or damaged
  };
  void Evict();

  std::size_t budget_;
  std::size_t used_ = 0;
  std::list<Entry> entries_;  // most recently used first
};

}  // namespace td::win32
