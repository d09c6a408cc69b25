// The system clipboard and the program's pictures on it. A hidden window owns the
// clipboard and promises CF_DIB and CF_ENHMETAFILE (delayed rendering): each is decoded
// only when a program asks for it, and whatever is still promised is made for good
// when the window goes, so the last picture outlives the program.
//
// Other programs read the clipboard whenever it changes (a clipboard history, a remote
// desktop), and ask this program to render what it promised while they hold the
// clipboard open. Every wait for the clipboard therefore answers such requests, and
// gives up after kPatienceMs.
#include <algorithm>
#include <memory>
#include <utility>

#include "platform/win32/Win32CardData.h"
#include "platform/win32/Win32ComObjects.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Picture.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

constexpr wchar_t kOwnerClass[] = L"TumbledeckClipboardOwner";
constexpr ULONGLONG kPatienceMs = 1000;
constexpr ULONGLONG kRetryMs = 20;

// Waits up to `ms`, answering what other threads and programs send this one (a request
// to render a promised format above all: a plain Sleep would leave both waiting for the
// other) but running none of the program's own events, which must not run in the middle
// of a clipboard operation.
void WaitAnsweringOthers(ULONGLONG ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    const auto left = static_cast<DWORD>(end - now);
    if (MsgWaitForMultipleObjectsEx(0, nullptr, left, QS_SENDMESSAGE, 0) == WAIT_TIMEOUT) return;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // answers them
  }
}

// Repeats `attempt` until it succeeds or kPatienceMs have passed.
template <class Attempt>
bool Patiently(Attempt attempt) {
  const ULONGLONG end = GetTickCount64() + kPatienceMs;
  while (!attempt()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    WaitAnsweringOthers(std::min(kRetryMs, end - now));
  }
  return true;
}

// The clipboard, open for as long as this lives, if it could be opened in time.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner)
      : open_(Patiently([owner] { return OpenClipboard(owner) != FALSE; })) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  explicit operator bool() const { return open_; }

 private:
  bool open_ = false;
};

// The clipboard open for the program's own use; a failure to open it is reported.
class ProgramOpenedClipboard : public OpenedClipboard {
 public:
  explicit ProgramOpenedClipboard(HWND owner) : OpenedClipboard(owner) {
    if (!*this) throw CannotOpenClipboardError();
  }
};

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
    window_.Reset(CreateWindowExW(0, kOwnerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), this));
    if (!window_) throw OutOfMemoryError();
  }
  // Destroying the window renders what is still promised.
  ~PictureClipboard() = default;
  PictureClipboard(const PictureClipboard&) = delete;
  PictureClipboard& operator=(const PictureClipboard&) = delete;

  void Clear() {
    const ProgramOpenedClipboard open(window_.Get());
    if (!EmptyClipboard()) throw CannotOpenClipboardError();
  }

  void Put(const Win32Picture& picture) {
    const ProgramOpenedClipboard open(window_.Get());
    if (GetClipboardOwner() != window_.Get()) {
      // Another program emptied it meanwhile: no request would reach this window, so
      // the formats are made now.
      SetNow(*MakeCardData(picture.File()).Get());
      return;
    }
    SetLastError(ERROR_SUCCESS);
    SetClipboardData(CF_DIB, nullptr);  // promises: null is what success returns
    SetClipboardData(CF_ENHMETAFILE, nullptr);
    if (GetLastError() != ERROR_SUCCESS) throw InvalidClipboardFormatError();
    promised_ = MakeCardData(picture.File());
    dibPromised_ = metafilePromised_ = true;
  }

 private:
  // Makes the card's form `format` into `medium` now; false when it cannot be made.
  static bool Make(IDataObject& card, FORMATETC format, StorageMedium& medium) {
    return SUCCEEDED(card.GetData(&format, medium.Get()));
  }

  // The handle the medium holds onto the open clipboard, which then owns it.
  static bool Hand(UINT format, StorageMedium& medium) {
    STGMEDIUM& held = *medium.Get();
    if (!SetClipboardData(format, held.tymed == TYMED_ENHMF ? held.hEnhMetaFile : held.hGlobal)) {
      return false;
    }
    medium.HandedOn();
    return true;
  }

  static void SetNow(IDataObject& card) {
    StorageMedium dib;
    StorageMedium metafile;
    if (!Make(card, DibFormat(), dib)) throw InvalidPictureError();
    if (!Make(card, MetafileFormat(), metafile)) throw OutOfMemoryError();
    if (!Hand(CF_DIB, dib) || !Hand(CF_ENHMETAFILE, metafile)) {
      throw InvalidClipboardFormatError();
    }
  }

  // Inside WM_RENDERFORMAT (the asking program opened the clipboard) or
  // WM_RENDERALLFORMATS (this window opened it).
  void Render(UINT format) {
    if (!promised_) return;
    bool& promised = format == CF_DIB ? dibPromised_ : metafilePromised_;
    if ((format != CF_DIB && format != CF_ENHMETAFILE) || !promised) return;
    StorageMedium made;
    if (Make(*promised_.Get(), format == CF_DIB ? DibFormat() : MetafileFormat(), made)) {
      Hand(format, made);
    }
    promised = false;
  }

  void RenderAll() {
    const OpenedClipboard open(window_.Get());
    if (open && GetClipboardOwner() == window_.Get()) {
      Render(CF_DIB);
      Render(CF_ENHMETAFILE);
    }
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

  ComPtr<IDataObject> promised_;  // the card promised
  bool dibPromised_ = false;
  bool metafilePromised_ = false;
  // Last, so that it goes first: its end renders the promise from the members above.
  OwnWindow window_;
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

HRESULT PutDataOnClipboard(IDataObject& data) {
  HRESULT hr = S_OK;
  Patiently([&] {
    hr = OleSetClipboard(&data);
    return hr != CLIPBRD_E_CANT_OPEN;
  });
  return hr;
}

void FinishClipboard() { ClipboardSlot().reset(); }

}  // namespace td::win32
