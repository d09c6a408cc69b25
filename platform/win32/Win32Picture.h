// A decoded picture, shared by the picture loader and the clipboard. Internal to
// platform/win32.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "platform/Platform.h"
#include "platform/win32/Win32Handles.h"

namespace td::win32 {

// The pixels of a picture as a top-down 32-bit DIB section.
class Win32Picture : public Picture {
 public:
  Win32Picture(Bitmap bitmap, const void* bits, int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  size_t Stride() const { return static_cast<size_t>(width_) * 4; }
  // The rows bottom-up, the order that packed DIBs and metafile players expect.
  std::vector<unsigned char> BottomUpRows() const;
  BITMAPINFOHEADER BottomUpHeader() const;

 private:
  Bitmap bitmap_;
  const void* bits_;
  int width_;
  int height_;
};

}  // namespace td::win32
