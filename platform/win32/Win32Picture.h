// Pictures as the platform keeps them: where the file is, the size its header gives and
// what tells the file from another, read again and decoded only when a picture is drawn
// or leaves the program. A view of thousands of cards then costs a few hundred bytes a
// card. Internal to platform/win32.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Pictures.h"
#include "platform/win32/Win32Handles.h"

namespace td::win32 {

// A picture file as the program found it.
struct PictureFile {
  std::wstring path;
  int width = 0;   // from its header
  int height = 0;
  bool jpeg = false;  // a JPEG file, which rich text and other programs take as it is
  // Its identity: a file of the same size and last write time is taken for the same file.
  uint64_t size = 0;
  uint64_t written = 0;

  // The name of the folder the file is in: a card's ("a0001").
  std::wstring FolderName() const;
};

class Win32Picture : public Picture {
 public:
  explicit Win32Picture(std::shared_ptr<const PictureFile> file) : file_(std::move(file)) {}
  const std::shared_ptr<const PictureFile>& File() const { return file_; }

 private:
  std::shared_ptr<const PictureFile> file_;
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

// Reads a picture file's header and identity; throws RunError 53/75/76 when the file
// cannot be read and 481 when it is no picture or claims more than kMaxPicturePixels.
std::shared_ptr<const PictureFile> ReadPictureFile(const std::string& path);

// The file's bytes while it is still the file that was read: nothing when it went away,
// changed or cannot be read.
std::optional<std::string> ReadPictureBytes(const PictureFile& file);

// Whether the file is still there as it was read, without reading it.
bool IsUnchanged(const PictureFile& file);

// A picture's bytes as `width` x `height` pixels, scaled smoothly from whatever size its
// pixels have. Nothing when its data is damaged (the header may be sound and the rest not).
std::optional<DecodedPicture> DecodePicture(const std::string& bytes, int width, int height);

// The picture at the size its header gives as a packed DIB, as other programs take it;
// empty when the file changed or its data is damaged.
GlobalMemory FullSizeDib(const PictureFile& file);

}  // namespace td::win32
