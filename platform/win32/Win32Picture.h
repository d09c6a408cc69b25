// A decoded picture, shared by the picture loader and the clipboard. Internal to
// platform/win32.
#pragma once

#include <windows.h>

#include "platform/Platform.h"
#include "platform/win32/Win32Handles.h"

namespace td::win32 {

// The pixels of a picture as a top-down 32-bit DIB section.
class Win32Picture : public Picture {
 public:
  Win32Picture(Bitmap bitmap, const void* bits, int width, int height);

  // Top-down rows of 32-bit BGRX pixels, Width() * 4 bytes apart.
  const void* Bits() const { return bits_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  Bitmap bitmap_;
  const void* bits_;
  int width_;
  int height_;
};

}  // namespace td::win32
