// The system clipboard, and the forms in which a picture goes onto it.
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Picture.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

HWND ClipboardOwner() {
  static HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  return owner;
}

// The clipboard, open for as long as this lives. Another program may hold it for a
// moment: it tries a few times before it gives up.
class OpenClipboardScope {
 public:
  OpenClipboardScope() {
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
      open_ = OpenClipboard(ClipboardOwner()) != FALSE;
      if (!open_) Sleep(20);
    }
    if (!open_) throw CannotOpenClipboardError();
  }
  ~OpenClipboardScope() { CloseClipboard(); }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;

 private:
  bool open_ = false;
};

// Movable global memory holding a copy of the bytes, as the clipboard wants its data.
GlobalMemory GlobalCopy(const void* bytes, size_t size) {
  GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) throw OutOfMemoryError();
  void* out = GlobalLock(memory.Get());
  if (!out) throw OutOfMemoryError();
  std::memcpy(out, bytes, size);
  GlobalUnlock(memory.Get());
  return memory;
}

int ScreenDpi(int index) {
  const ScreenDc screen(GetDC(nullptr));
  const int dpi = screen ? GetDeviceCaps(screen.Get(), index) : 0;
  return dpi > 0 ? dpi : 96;
}

// An enhanced metafile that draws the picture at its size on the screen.
EnhMetafile MakeMetafile(const Win32Picture& picture) {
  const ScreenDc screen(GetDC(nullptr));
  if (!screen) throw OutOfMemoryError();
  // The frame, in 0.01 mm, sizes the object; the drawing covers the frame in the
  // reference device's own units, whatever that device claims its millimetres are.
  const int frameWidth = MulDiv(picture.Width(), 2540, ScreenDpi(LOGPIXELSX));
  const int frameHeight = MulDiv(picture.Height(), 2540, ScreenDpi(LOGPIXELSY));
  const int drawWidth = MulDiv(frameWidth, GetDeviceCaps(screen.Get(), HORZRES),
                               GetDeviceCaps(screen.Get(), HORZSIZE) * 100);
  const int drawHeight = MulDiv(frameHeight, GetDeviceCaps(screen.Get(), VERTRES),
                                GetDeviceCaps(screen.Get(), VERTSIZE) * 100);
  const RECT frame{0, 0, frameWidth, frameHeight};
  HDC recorder = CreateEnhMetaFileW(screen.Get(), nullptr, &frame, nullptr);
  if (!recorder) throw OutOfMemoryError();
  // Recorded bottom-up: not every metafile player copes with a top-down DIB.
  const std::vector<unsigned char> rows = picture.BottomUpRows();
  BITMAPINFO info{};
  info.bmiHeader = picture.BottomUpHeader();
  SetStretchBltMode(recorder, COLORONCOLOR);
  StretchDIBits(recorder, 0, 0, drawWidth, drawHeight, 0, 0, picture.Width(), picture.Height(),
                rows.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  EnhMetafile metafile(CloseEnhMetaFile(recorder));
  if (!metafile) throw OutOfMemoryError();
  return metafile;
}

// A packed bottom-up DIB, the form other programs expect of CF_DIB.
GlobalMemory MakePackedDib(const Win32Picture& picture) {
  const BITMAPINFOHEADER header = picture.BottomUpHeader();
  std::vector<unsigned char> packed(sizeof header);
  std::memcpy(packed.data(), &header, sizeof header);
  const std::vector<unsigned char> rows = picture.BottomUpRows();
  packed.insert(packed.end(), rows.begin(), rows.end());
  return GlobalCopy(packed.data(), packed.size());
}

}  // namespace

void ClearSystemClipboard() {
  const OpenClipboardScope open;
  EmptyClipboard();
}

void PutPictureOnClipboard(const Picture& picture) {
  const auto* own = dynamic_cast<const Win32Picture*>(&picture);
  if (!own) throw InvalidClipboardFormatError();
  EnhMetafile metafile = MakeMetafile(*own);
  GlobalMemory dib = MakePackedDib(*own);
  const OpenClipboardScope open;
  // Once SetClipboardData accepts a handle, the system owns it.
  const bool metafileTaken = SetClipboardData(CF_ENHMETAFILE, metafile.Get()) != nullptr;
  if (metafileTaken) metafile.Detach();
  const bool dibTaken = SetClipboardData(CF_DIB, dib.Get()) != nullptr;
  if (dibTaken) dib.Detach();
  if (!metafileTaken || !dibTaken) throw InvalidClipboardFormatError();
}

}  // namespace td::win32
