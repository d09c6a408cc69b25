// The system clipboard and the program's pictures on it. A hidden window owns the
// clipboard and promises CF_DIB and CF_ENHMETAFILE (delayed rendering): each is made
// only when a program asks for it, and whatever is still promised is made for good
// when the window goes, so the last picture outlives the program. Promising instead of
// handing every card's data over (through the Wine server there) keeps the card
// viewer's fill fast.
#include <memory>
#include <utility>

#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Picture.h"
#include "platform/win32/Win32PictureFormats.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

constexpr wchar_t kOwnerClass[] = L"TumbledeckClipboardOwner";

// The clipboard, open for as long as this lives. Another program may hold it for a
// moment: it tries a few times before it gives up.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) {
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != FALSE;
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

GlobalMemory Duplicate(HGLOBAL dib) {
  return GlobalMemory(dib ? static_cast<HGLOBAL>(OleDuplicateData(dib, CF_DIB, GMEM_MOVEABLE))
                          : nullptr);
}

// The window that owns the clipboard for the program's pictures, and the picture it
// promised.
class PictureClipboard {
 public:
  PictureClipboard() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kOwnerClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      throw InternalError();
    }
    window_ = CreateWindowExW(0, kOwnerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), this);
    if (!window_) throw OutOfMemoryError();
  }
  ~PictureClipboard() { DestroyWindow(window_); }  // renders what is still promised
  PictureClipboard(const PictureClipboard&) = delete;
  PictureClipboard& operator=(const PictureClipboard&) = delete;

  void Clear() {
    const OpenClipboardScope open(window_);
    if (!EmptyClipboard()) throw CannotOpenClipboardError();
  }

  void Put(const Win32Picture& picture) {
    GlobalMemory dib = MakePackedDib(picture.Bits(), picture.Width(), picture.Height());
    if (!dib) throw OutOfMemoryError();
    const OpenClipboardScope open(window_);
    if (GetClipboardOwner() != window_) {
      // Another program emptied it meanwhile: no request would reach this window, so
      // the formats are made now.
      SetNow(std::move(dib));
      return;
    }
    SetLastError(ERROR_SUCCESS);
    SetClipboardData(CF_DIB, nullptr);  // promises: null is what success returns
    SetClipboardData(CF_ENHMETAFILE, nullptr);
    if (GetLastError() != ERROR_SUCCESS) throw InvalidClipboardFormatError();
    promised_ = std::move(dib);
    dibPromised_ = metafilePromised_ = true;
  }

  // A copy of the picture this window promised, while it owns the clipboard.
  GlobalMemory OwnDib() const {
    if (GetClipboardOwner() != window_ || !promised_) return {};
    return Duplicate(promised_.Get());
  }

 private:
  static void SetNow(GlobalMemory dib) {
    EnhMetafile metafile = MakeMetafile(dib.Get());
    if (!metafile) throw OutOfMemoryError();
    // Once SetClipboardData takes a handle, the system owns it.
    if (!SetClipboardData(CF_DIB, dib.Get())) throw InvalidClipboardFormatError();
    dib.Detach();
    if (!SetClipboardData(CF_ENHMETAFILE, metafile.Get())) throw InvalidClipboardFormatError();
    metafile.Detach();
  }

  // Inside WM_RENDERFORMAT (the asking program opened the clipboard) or
  // WM_RENDERALLFORMATS (this window opened it).
  void Render(UINT format) {
    if (!promised_) return;
    if (format == CF_DIB && dibPromised_) {
      GlobalMemory copy = Duplicate(promised_.Get());
      if (copy && SetClipboardData(CF_DIB, copy.Get())) copy.Detach();
      dibPromised_ = false;
    } else if (format == CF_ENHMETAFILE && metafilePromised_) {
      EnhMetafile metafile = MakeMetafile(promised_.Get());
      if (metafile && SetClipboardData(CF_ENHMETAFILE, metafile.Get())) metafile.Detach();
      metafilePromised_ = false;
    }
  }

  void RenderAll() {
    if (!OpenClipboard(window_)) return;
    if (GetClipboardOwner() == window_) {
      Render(CF_DIB);
      Render(CF_ENHMETAFILE);
    }
    CloseClipboard();
  }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<PictureClipboard*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
      case WM_RENDERFORMAT:
        self->Render(static_cast<UINT>(wParam));
        return 0;
      case WM_RENDERALLFORMATS:
        self->RenderAll();
        return 0;
      case WM_DESTROYCLIPBOARD:  // emptied, by anyone: nothing is promised any more
        self->promised_.Reset();
        self->dibPromised_ = self->metafilePromised_ = false;
        return 0;
      case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
      default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  HWND window_ = nullptr;
  GlobalMemory promised_;  // the packed DIB of the picture promised
  bool dibPromised_ = false;
  bool metafilePromised_ = false;
};

// The program's one clipboard owner: made on first use, gone with FinishClipboard.
std::unique_ptr<PictureClipboard>& ClipboardSlot() {
  static std::unique_ptr<PictureClipboard> slot;
  return slot;
}

PictureClipboard& ProgramClipboard() {
  auto& slot = ClipboardSlot();
  if (!slot) slot = std::make_unique<PictureClipboard>();
  return *slot;
}

}  // namespace

void ClearSystemClipboard() { ProgramClipboard().Clear(); }

void PutPictureOnClipboard(const Picture& picture) {
  const auto* own = dynamic_cast<const Win32Picture*>(&picture);
  if (!own) throw InvalidClipboardFormatError();
  ProgramClipboard().Put(*own);
}

GlobalMemory ClipboardDib() {
  if (ClipboardSlot()) {
    if (GlobalMemory own = ClipboardSlot()->OwnDib()) return own;
  }
  if (!IsClipboardFormatAvailable(CF_DIB)) return {};
  const OpenClipboardScope open(nullptr);
  return Duplicate(static_cast<HGLOBAL>(GetClipboardData(CF_DIB)));
}

void FinishClipboard() { ClipboardSlot().reset(); }

}  // namespace td::win32
