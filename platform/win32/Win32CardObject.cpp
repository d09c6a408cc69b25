#include "platform/win32/Win32CardObject.h"

#include <richedit.h>

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/RtfText.h"
#include "platform/win32/Win32ComObjects.h"
#include "platform/win32/Win32PictureCache.h"
#include "platform/win32/Win32PictureFormats.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

constexpr COLORREF kPlaceholder = RGB(48, 48, 48);

// {5C0A7D2E-3B41-4F8A-9E62-7A1D4C9B0E53}: the program's own kind of embedded object.
constexpr CLSID kCardClass = {0x5C0A7D2E, 0x3B41, 0x4F8A,
                              {0x9E, 0x62, 0x7A, 0x1D, 0x4C, 0x9B, 0x0E, 0x53}};

FORMATETC BitmapFormat() { return {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI}; }
FORMATETC JpegFormat() { return {JpegFileFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// Keeps a decoded picture alive for whoever was handed its bitmap in a storage medium:
// releasing the medium releases this, not the bitmap, which the cache may still hold.
class Keeper final : public RefCounted<IUnknown> {
 public:
  explicit Keeper(std::shared_ptr<const DecodedPicture> kept)
      : RefCounted(IID_IUnknown), kept_(std::move(kept)) {}

 private:
  std::shared_ptr<const DecodedPicture> kept_;
};

// A 1 x 1 bitmap of the placeholder's colour, stretched to the card's size by the view;
// null when none can be made.
std::shared_ptr<const DecodedPicture> Placeholder() {
  static const std::shared_ptr<const DecodedPicture> placeholder = [] {
    auto pixel = NewPixels(1, 1);
    if (!pixel) return std::shared_ptr<const DecodedPicture>();
    // Grey reads the same as BGRX.
    *static_cast<DWORD*>(const_cast<void*>(pixel->bits)) = kPlaceholder;
    return std::make_shared<const DecodedPicture>(std::move(*pixel));
  }();
  return placeholder;
}

// What a card offers: the bitmap the view draws, and the picture at full size.
std::vector<FORMATETC> CardFormats(const EncodedPicture& picture) {
  std::vector<FORMATETC> formats = {BitmapFormat(), DibFormat(), MetafileFormat()};
  if (picture.jpeg) formats.push_back(JpegFormat());
  return formats;
}

using CardBase = RefCounted<FixedFormatData, IOleObject, IViewObject2>;

class CardObject final : public CardBase {
 public:
  CardObject(std::shared_ptr<const EncodedPicture> picture, HWND view)
      : CardBase(kAnswers, CardFormats(*picture)), picture_(std::move(picture)), view_(view) {}

  // --- IOleObject: a static picture, which the container only places and draws ---
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
    site_ = site;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
    if (!site) return E_POINTER;
    site_.CopyTo(site);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD) override {
    site_.Reset();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
    return S_OK;  // nothing to open or edit
  }
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return OLEOBJ_E_NOVERBS; }
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = kCardClass;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return E_FAIL; }  // fixed
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = PictureExtent(*picture_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD* connection) override {
    if (!connection) return E_POINTER;
    *connection = 1;  // the picture never changes: there is nothing to tell
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
    if (!status) return E_POINTER;
    *status = OLEMISC_STATIC | OLEMISC_CANTLINKINSIDE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // --- IViewObject2 ---
  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                 LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                 ULONG_PTR) override {
    if (!dc || !bounds) return E_INVALIDARG;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    const int width = bounds->right - bounds->left;
    const int height = bounds->bottom - bounds->top;
    const auto decoded = Decoded(width, height);
    if (decoded) {
      // At the bounds' size already: the copy is one to one, unless a device scales.
      SetStretchBltMode(dc, HALFTONE);
      const BITMAPINFO info = BgrxInfo(decoded->width, decoded->height);
      StretchDIBits(dc, bounds->left, bounds->top, width, height, 0, 0, decoded->width,
                    decoded->height, decoded->bits, &info, DIB_RGB_COLORS, SRCCOPY);
    } else {
      const Brush grey(CreateSolidBrush(kPlaceholder));
      const RECT box{bounds->left, bounds->top, bounds->right, bounds->bottom};
      FillRect(dc, &box, grey.Get());
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                        LOGPALETTE**) override {
    return S_FALSE;  // any colours
  }
  HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink* sink) override {
    viewSink_ = sink;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override {
    if (aspects) *aspects = DVASPECT_CONTENT;
    if (flags) *flags = 0;
    if (sink) viewSink_.CopyTo(sink);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, SIZEL* size) override {
    return GetExtent(aspect, size);
  }

  // --- IDataObject ---
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    const HRESULT offered = QueryGetData(format);
    if (offered != S_OK) return offered;
    *medium = STGMEDIUM{};
    if (format->cfFormat == CF_BITMAP) return DisplayBitmap(medium);
    if (format->cfFormat == JpegFileFormat()) return Global(CopyToGlobal(picture_->bytes), medium);
    GlobalMemory dib = FullSizeDib(*picture_);
    if (!dib) return E_FAIL;  // the picture is damaged: nothing to hand on
    if (format->cfFormat == CF_DIB) return Global(std::move(dib), medium);
    EnhMetafile metafile = MakeMetafile(dib.Get());
    if (!metafile) return E_OUTOFMEMORY;
    medium->tymed = TYMED_ENHMF;
    medium->hEnhMetaFile = metafile.Detach();
    return S_OK;
  }
 private:
  ~CardObject() override = default;

  std::shared_ptr<const DecodedPicture> Decoded(int width, int height) const {
    return PictureCache::Shared().Get(picture_, width, height);
  }

  // The picture at the size the view draws it, which the view then copies one to one.
  HRESULT DisplayBitmap(STGMEDIUM* medium) const {
    const int dpi = DpiOf(view_);
    auto decoded = Decoded(MulDiv(picture_->width, dpi, kStandardDpi),
                           MulDiv(picture_->height, dpi, kStandardDpi));
    if (!decoded) decoded = Placeholder();
    if (!decoded) return E_OUTOFMEMORY;
    auto* keeper = new (std::nothrow) Keeper(decoded);
    if (!keeper) return E_OUTOFMEMORY;
    medium->tymed = TYMED_GDI;
    medium->hBitmap = decoded->bitmap.Get();
    medium->pUnkForRelease = keeper;
    return S_OK;
  }

  static HRESULT Global(GlobalMemory memory, STGMEDIUM* medium) {
    if (!memory) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory.Detach();
    return S_OK;
  }

  std::shared_ptr<const EncodedPicture> picture_;
  HWND view_;
  ComPtr<IOleClientSite> site_;
  ComPtr<IAdviseSink> viewSink_;

  // The object is an IOleObject first: containers know it by that.
  static constexpr Answer kAnswers[] = {
      By<IOleObject>(IID_IUnknown),       By<IOleObject>(IID_IOleObject),
      By<IViewObject2>(IID_IViewObject),  By<IViewObject2>(IID_IViewObject2),
      By<FixedFormatData>(IID_IDataObject),
  };
};

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
std::wstring PlainText(const std::vector<CopiedPiece>& pieces) {
  std::wstring text;
  for (const CopiedPiece& piece : pieces) {
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
  explicit RangeRtf(std::vector<CopiedPiece> pieces)
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
    for (const CopiedPiece& piece : pieces_) {
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

  std::vector<CopiedPiece> pieces_;
};

}  // namespace

SIZEL PictureExtent(const EncodedPicture& picture) {
  return ExtentOf(picture.width, picture.height);
}

ComPtr<IOleObject> MakeCardObject(std::shared_ptr<const EncodedPicture> picture, HWND view) {
  return Attached<IOleObject>(new CardObject(std::move(picture), view));
}

ComPtr<IDataObject> MakeCardData(std::shared_ptr<const EncodedPicture> picture) {
  return Attached<IDataObject>(new CardObject(std::move(picture), nullptr));
}

ComPtr<IDataObject> MakePictureCopy(ComPtr<IDataObject> card) {
  return Attached<IDataObject>(new (std::nothrow) PictureData(std::move(card)));
}

ComPtr<IDataObject> MakeRangeCopy(std::vector<CopiedPiece> pieces) {
  return Attached<IDataObject>(new (std::nothrow) RangeRtf(std::move(pieces)));
}

CLIPFORMAT JpegFileFormat() {
  static const auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"JFIF"));
  return format;
}

}  // namespace td::win32
