#include "platform/win32/Win32CardObject.h"

#include <new>
#include <utility>
#include <vector>

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

CLIPFORMAT JpegFileFormat() {
  static const auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"JFIF"));
  return format;
}

}  // namespace td::win32
