// Pictures as the platform keeps them: the file's own bytes and the size its header
// gives, decoded only when they are drawn or leave the program. A view of thousands of
// cards then costs their compressed size, not their pixels. Internal to platform/win32.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/Pictures.h"
#include "platform/win32/Win32Handles.h"

namespace td::win32 {

// A picture file's bytes, read once, and what its header says.
struct EncodedPicture {
  std::string bytes;
  int width = 0;
  int height = 0;
  bool jpeg = false;  // a JPEG file, which rich text and other programs take as it is
};

class Win32Picture : public Picture {
 public:
  explicit Win32Picture(std::shared_ptr<const EncodedPicture> encoded)
      : encoded_(std::move(encoded)) {}
  const std::shared_ptr<const EncodedPicture>& Encoded() const { return encoded_; }

 private:
  std::shared_ptr<const EncodedPicture> encoded_;
};

// Pixels of a picture: top-down rows of 32-bit BGRX pixels, width * 4 bytes apart, in a
// DIB section that can be selected into a device context.
struct DecodedPicture {
  Bitmap bitmap;
  const void* bits = nullptr;
  int width = 0;
  int height = 0;
};

// The header that describes such pixels to GDI.
BITMAPINFO BgrxInfo(int width, int height);
// Such pixels in a new DIB section, not yet filled in; nothing when none can be made.
// `bits` points at them, writable.
std::optional<DecodedPicture> NewPixels(int width, int height);

// The picture at `width` x `height` pixels: its own size, or scaled smoothly once. Nothing
// when its data is damaged (the header may be sound and the rest not).
std::optional<DecodedPicture> DecodePicture(const EncodedPicture& picture, int width,
                                            int height);
inline std::optional<DecodedPicture> DecodePicture(const EncodedPicture& picture) {
  return DecodePicture(picture, picture.width, picture.height);
}

// The picture at its own size as a packed DIB, as other programs take it; empty when
// its data is damaged.
GlobalMemory FullSizeDib(const EncodedPicture& picture);

// Reads a picture file and its header; throws RunError 53/75/76 when the file cannot be
// read and 481 when it is no picture or claims more than kMaxPicturePixels.
std::shared_ptr<const EncodedPicture> ReadPictureFile(const std::string& path);

}  // namespace td::win32
