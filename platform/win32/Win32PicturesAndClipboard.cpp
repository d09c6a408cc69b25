// The pictures part of the platform: loading a picture, and the clipboard on which the
// viewer leaves its last card.
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

class Win32Pictures : public Pictures {
 public:
  Win32Pictures() = default;
  // What the program promised the clipboard is made now, so that it outlives the program.
  ~Win32Pictures() override { FinishClipboard(); }
  Win32Pictures(const Win32Pictures&) = delete;
  Win32Pictures& operator=(const Win32Pictures&) = delete;

  std::unique_ptr<Picture> LoadPicture(const std::string& path) override {
    return LoadPictureFile(path);
  }
  void ClearClipboard() override { ClearSystemClipboard(); }
  void PutOnClipboard(const Picture& picture) override { PutPictureOnClipboard(picture); }
};

}  // namespace

std::unique_ptr<Pictures> CreatePictures() { return std::make_unique<Win32Pictures>(); }

}  // namespace td::win32
