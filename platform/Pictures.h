// Pictures, loaded from files, and the clipboard on which the viewer leaves its last card.
#pragma once

#include <memory>
#include <string>

#include "platform/RunError.h"

namespace td {

// Larger pictures than this (a 10,000 x 10,000 scan) are refused: decoded, one would take
// gigabytes, and a small file can claim any size in its header.
inline constexpr double kMaxPicturePixels = 100e6;

// A picture loaded from a file, ready to go onto the clipboard.
class Picture {
 public:
  virtual ~Picture() = default;
};

class Pictures {
 public:
  virtual ~Pictures() = default;
  // Throws RunError when the file is missing or no picture, and 481 for a picture whose
  // header claims more than kMaxPicturePixels.
  virtual std::unique_ptr<Picture> LoadPicture(const std::string& path) = 0;
  // Both wait a moment for a clipboard that another program holds, answering its
  // requests meanwhile, and throw RunError 521 when it stays busy; a put also throws
  // when the clipboard refuses the picture.
  virtual void ClearClipboard() = 0;
  virtual void PutOnClipboard(const Picture& picture) = 0;
};

}  // namespace td
