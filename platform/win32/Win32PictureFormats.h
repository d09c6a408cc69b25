// The forms a picture takes on its way to other programs: a packed 24-bit DIB, an
// enhanced metafile and a JPEG, each made only when a program asks. Every packed DIB is
// checked against the memory that holds it before a pixel of it is read: one may come
// from another program. Internal to platform/win32.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/Twips.h"
#include "platform/win32/Win32Handles.h"

namespace td::win32 {

// A picture's size on paper: its pixels at 100 % (96 to the inch), as the view lays out
// a card and other programs size a copy.
inline SIZEL ExtentOf(int width, int height) {
  return {MulDiv(width, kExtentPerInch, kStandardDpi),
          MulDiv(height, kExtentPerInch, kStandardDpi)};
}

// A packed bottom-up 24-bit DIB of top-down rows of 32-bit BGRX pixels; empty when
// there is no memory for it.
GlobalMemory MakePackedDib(const void* pixels, int width, int height);

// Where the parts of a packed DIB lie, once it has been found sound: a header the
// program knows (BITMAPINFOHEADER or a later one), a positive width and a height, one
// plane, a bit count of 1, 4, 8, 16, 24 or 32, no compression (or bit fields for 16 and
// 32 bits), a colour table of at most 256 entries, and every row inside the block.
struct DibLayout {
  const BITMAPINFO* info = nullptr;
  const unsigned char* pixels = nullptr;
  int width = 0;
  int height = 0;  // rows, whichever way they run
  bool topDown = false;
  size_t stride = 0;
};

// The layout of the packed DIB in `bytes` (a block of `size` bytes); nothing when it
// is not sound.
std::optional<DibLayout> ReadDib(const void* bytes, size_t size);

// The same for a packed DIB in global memory, locked while the layout is used.
class LockedDib {
 public:
  explicit LockedDib(HGLOBAL packedDib);
  const std::optional<DibLayout>& Layout() const { return layout_; }

 private:
  LockedGlobal lock_;
  std::optional<DibLayout> layout_;
};

// An enhanced metafile that draws the packed DIB at its size at 96 DPI; empty when the
// DIB is not sound.
EnhMetafile MakeMetafile(HGLOBAL packedDib);

// The packed DIB as a JPEG file (quality 0.9); empty when it is not sound or cannot be
// encoded.
std::string EncodeJpeg(HGLOBAL packedDib);

}  // namespace td::win32
