#include "platform/win32/Win32RichTextOle.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/RtfText.h"
#include "platform/win32/Win32CardObject.h"
#include "platform/win32/Win32ComObjects.h"
#include "platform/win32/Win32PictureFormats.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

constexpr IID kIidRichEditOleCallback = {
    0x00020D03, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

UINT RtfFormat() { return RegisterClipboardFormatW(L"Rich Text Format"); }

// A copy of one picture: CF_DIB and CF_ENHMETAFILE at full size, from the card.
class PictureData final : public DataObjectBase {
 public:
  explicit PictureData(ComPtr<IDataObject> card)
      : DataObjectBase({DibFormat(), MetafileFormat()}), card_(std::move(card)) {}

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    const HRESULT offered = QueryGetData(format);
    return offered == S_OK ? card_->GetData(format, medium) : offered;
  }

 private:
  ComPtr<IDataObject> card_;
};

// One character of a copied range: a picture object with its extent, or a letter.
struct Piece {
  ComPtr<IDataObject> picture;
  SIZEL extent{};
  wchar_t letter = 0;
};

// The card's own JPEG file where it is one, else its pixels encoded as one.
std::string JpegOf(IDataObject& picture) {
  FORMATETC jpegFormat{JpegFileFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  StorageMedium file;
  if (SUCCEEDED(picture.GetData(&jpegFormat, file.Get()))) {
    const LockedGlobal bytes(file.Get()->hGlobal);
    if (!bytes.Bytes()) return {};
    return std::string(static_cast<const char*>(bytes.Bytes()), GlobalSize(file.Get()->hGlobal));
  }
  FORMATETC dibFormat = DibFormat();
  StorageMedium dib;
  if (FAILED(picture.GetData(&dibFormat, dib.Get()))) return {};
  return EncodeJpeg(dib.Get()->hGlobal);
}

// The letters of a range as plain text, for programs that take no rich text; pictures
// have no letters.
std::wstring PlainText(const std::vector<Piece>& pieces) {
  std::wstring text;
  for (const Piece& piece : pieces) {
    if (piece.picture || piece.letter == WCH_EMBEDDING) continue;
    if (piece.letter == L'\r') {
      text += L"\r\n";  // the control ends a paragraph with CR alone
    } else {
      text += piece.letter;
    }
  }
  return text;
}

// A range of the view as rich text, each picture one \pict group sized to its pixels,
// and as plain text.
class RangeRtf final : public DataObjectBase {
 public:
  explicit RangeRtf(std::vector<Piece> pieces)
      : DataObjectBase({{static_cast<CLIPFORMAT>(RtfFormat()), nullptr, DVASPECT_CONTENT, -1,
                         TYMED_HGLOBAL},
                        {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}}),
        pieces_(std::move(pieces)) {}

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    const HRESULT offered = QueryGetData(format);
    if (offered != S_OK) return offered;
    if (format->cfFormat == CF_UNICODETEXT) {
      const std::wstring text = PlainText(pieces_);
      return Hand(CopyToGlobal({reinterpret_cast<const char*>(text.c_str()),
                                (text.size() + 1) * sizeof(wchar_t)}),  // with its NUL
                  medium);
    }
    RtfDocument document;
    for (const Piece& piece : pieces_) {
      if (piece.picture) {
        document.AddJpeg(JpegOf(*piece.picture.Get()), piece.extent.cx, piece.extent.cy);
      } else {
        document.AddLetter(static_cast<char16_t>(piece.letter));
      }
    }
    const std::string rtf = std::move(document).Finish();
    return Hand(CopyToGlobal({rtf.c_str(), rtf.size() + 1}), medium);  // with its NUL
  }

 private:
  static HRESULT Hand(GlobalMemory memory, STGMEDIUM* medium) {
    if (!memory) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory.Detach();
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }

  std::vector<Piece> pieces_;
};

// The cache of the picture object at character `cp`, if one is there, and its size.
ComPtr<IDataObject> PictureAt(IRichEditOle& ole, LONG cp, SIZEL* himetric) {
  REOBJECT reo{};
  reo.cbStruct = sizeof reo;
  reo.cp = cp;
  ComPtr<IDataObject> data;
  if (SUCCEEDED(ole.GetObject(REO_IOB_USE_CP, &reo, REO_GETOBJ_POLEOBJ)) && reo.poleobj) {
    const auto object = Attached(reo.poleobj);  // GetObject added a reference
    if (reo.cp == cp) object->QueryInterface(IID_IDataObject, PutVoid(data));
    if (himetric) *himetric = reo.sizel;
  }
  return data;
}

// The data that a copy or drag of `range` offers.
HRESULT DataForRange(HWND view, CHARRANGE range, IDataObject** out) {
  *out = nullptr;
  const auto ole = RichEditOle(view);
  if (!ole) return E_NOTIMPL;
  const LONG from = std::max<LONG>(range.cpMin, 0);
  const LONG length = TextLength(view);
  const LONG to = (range.cpMax < 0 || range.cpMax > length) ? length : range.cpMax;
  if (to <= from) return E_NOTIMPL;
  if (to - from == 1) {
    if (auto picture = PictureAt(*ole.Get(), from, nullptr)) {
      *out = new (std::nothrow) PictureData(std::move(picture));
      return *out ? S_OK : E_OUTOFMEMORY;
    }
  }
  std::wstring text(static_cast<size_t>(to - from) + 1, L'\0');
  TEXTRANGEW textRange{{from, to}, text.data()};
  SendMessageW(view, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&textRange));
  std::vector<Piece> pieces(static_cast<size_t>(to - from));
  for (size_t i = 0; i < pieces.size(); ++i) pieces[i].letter = text[i];
  const LONG objects = ole->GetObjectCount();
  for (LONG i = 0; i < objects; ++i) {  // one pass over the objects, in order
    REOBJECT reo{};
    reo.cbStruct = sizeof reo;
    if (FAILED(ole->GetObject(i, &reo, REO_GETOBJ_POLEOBJ)) || !reo.poleobj) continue;
    const auto object = Attached(reo.poleobj);
    if (reo.cp >= from && reo.cp < to) {
      Piece& piece = pieces[static_cast<size_t>(reo.cp - from)];
      object->QueryInterface(IID_IDataObject, PutVoid(piece.picture));
      piece.extent = reo.sizel;
    }
  }
  *out = new (std::nothrow) RangeRtf(std::move(pieces));
  return *out ? S_OK : E_OUTOFMEMORY;
}

class ViewCallback final : public RefCounted<IRichEditOleCallback> {
 public:
  explicit ViewCallback(HWND view) : RefCounted(kIidRichEditOleCallback), view_(view) {}

  // Storage for an object the control reads in (a paste, a drop, rich text).
  HRESULT STDMETHODCALLTYPE GetNewStorage(LPSTORAGE* storage) override {
    return storage ? NewMemoryStorage(storage) : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*,
                                              LPOLEINPLACEFRAMEINFO) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ShowContainerUI(WINBOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryInsertObject(LPCLSID, LPSTORAGE, LONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeleteObject(LPOLEOBJECT) override { return S_OK; }
  // Nothing comes in by paste or drop while the view is read-only.
  HRESULT STDMETHODCALLTYPE QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD, WINBOOL,
                                            HGLOBAL) override {
    return IsReadOnly(view_) ? E_FAIL : S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(CHARRANGE* range, DWORD,
                                             LPDATAOBJECT* out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    return range ? DataForRange(view_, *range, out) : E_NOTIMPL;
  }
  // Asked while a drag passes over the view (fDrag TRUE) and at the drop (FALSE): a
  // read-only view neither shows nor takes a drop. A card dragged out is the program's
  // own drag, which offers copies only.
  HRESULT STDMETHODCALLTYPE GetDragDropEffect(WINBOOL, DWORD, LPDWORD effect) override {
    if (!effect) return E_INVALIDARG;
    if (IsReadOnly(view_)) *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU*) override {
    return E_NOTIMPL;
  }

 private:
  HWND view_;
};

class DropSource final : public RefCounted<IDropSource> {
 public:
  DropSource() : RefCounted(IID_IDropSource) {}
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(WINBOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

// The character whose picture lies under the point (client coordinates), or -1.
LONG PictureUnderPoint(HWND view, POINT point) {
  const auto ole = RichEditOle(view);
  if (!ole) return -1;
  POINTL at{point.x, point.y};
  const LONG hit =
      static_cast<LONG>(SendMessageW(view, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
  const int dpi = DpiOf(view);
  for (LONG cp = hit > 0 ? hit - 1 : 0; cp <= hit; ++cp) {
    SIZEL size{};
    if (!PictureAt(*ole.Get(), cp, &size)) continue;
    POINTL origin{};
    SendMessageW(view, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&origin), cp);
    if (point.x >= origin.x && point.x < origin.x + MulDiv(size.cx, dpi, kExtentPerInch)) return cp;
  }
  return -1;
}

void DragPicture(HWND view, LONG cp, POINT point) {
  SetFocus(view);
  CHARRANGE picture{cp, cp + 1};
  SendMessageW(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&picture));
  POINT screen = point;
  ClientToScreen(view, &screen);
  if (!DragDetect(view, screen)) return;
  ComPtr<IDataObject> data;
  const auto source = Attached<IDropSource>(new (std::nothrow) DropSource());
  DWORD effect = DROPEFFECT_NONE;
  if (source && SUCCEEDED(DataForRange(view, picture, data.Put())) && data) {
    DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY, &effect);
  }
}

// The selection onto the clipboard, as a copy offers it. The program puts it there
// itself, rather than the control: it waits for a clipboard that another program holds
// for a moment, where the control would give up at once.
void CopySelection(HWND view) {
  CHARRANGE selection{};
  SendMessageW(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  ComPtr<IDataObject> data;
  if (SUCCEEDED(DataForRange(view, selection, data.Put())) && data) {
    PutDataOnClipboard(*data.Get());  // a clipboard kept busy costs the copy, nothing else
  }
}

// Ctrl+C and Ctrl+Insert, the keys that copy.
bool IsCopyKey(WPARAM key) {
  const auto down = [](int k) { return GetKeyState(k) < 0; };
  return (key == 'C' || key == VK_INSERT) && down(VK_CONTROL) && !down(VK_SHIFT) &&
         !down(VK_MENU);
}

LRESULT CALLBACK ViewInputProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam,
                               UINT_PTR id, DWORD_PTR) {
  if (message == WM_COPY || (message == WM_KEYDOWN && IsCopyKey(wParam))) {
    CopySelection(view);
    return 0;
  }
  if (message == WM_LBUTTONDOWN && !(wParam & (MK_SHIFT | MK_CONTROL))) {
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const LONG cp = PictureUnderPoint(view, point);
    if (cp >= 0) {
      DragPicture(view, cp, point);
      return 0;  // handled: the picture stays selected
    }
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(view, ViewInputProc, id);
  }
  return DefSubclassProc(view, message, wParam, lParam);
}

}  // namespace

ComPtr<IRichEditOle> RichEditOle(HWND view) {
  ComPtr<IRichEditOle> ole;
  SendMessageW(view, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.Put()));
  return ole;
}

LONG TextLength(HWND view) {
  GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<LONG>(
      SendMessageW(view, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

bool IsReadOnly(HWND view) {
  return (SendMessageW(view, EM_GETOPTIONS, 0, 0) & ECO_READONLY) != 0;
}

HRESULT NewMemoryStorage(IStorage** out) {
  *out = nullptr;
  ComPtr<ILockBytes> bytes;
  const HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put());
  if (FAILED(hr)) return hr;
  return StgCreateDocfileOnILockBytes(
      bytes.Get(), STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, out);
}

ComPtr<IRichEditOleCallback> MakeViewCallback(HWND view) {
  return Attached<IRichEditOleCallback>(new ViewCallback(view));
}

void TakeOverCopyAndDrag(HWND view) { SetWindowSubclass(view, ViewInputProc, 1, 0); }

}  // namespace td::win32
