#include "platform/win32/Win32CardData.h"

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/RtfText.h"
#include "platform/win32/Win32ComObjects.h"
#include "platform/win32/Win32PictureFormats.h"

namespace td::win32 {
namespace {

FORMATETC JpegFormat() { return {JpegFileFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

HRESULT HandGlobal(GlobalMemory memory, STGMEDIUM* medium) {
  if (!memory) return E_OUTOFMEMORY;
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = memory.Detach();
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

std::vector<FORMATETC> CardFormats(const PictureFile& picture) {
  std::vector<FORMATETC> formats = {DibFormat(), MetafileFormat()};
  if (picture.jpeg) formats.push_back(JpegFormat());
  return formats;
}

// A card's picture at full size, each form made from its file when a program asks.
class CardData final : public DataObjectBase {
 public:
  explicit CardData(std::shared_ptr<const PictureFile> picture)
      : DataObjectBase(CardFormats(*picture)), picture_(std::move(picture)) {}

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    const HRESULT offered = QueryGetData(format);
    if (offered != S_OK) return offered;
    *medium = STGMEDIUM{};
    if (format->cfFormat == JpegFileFormat()) {
      const std::optional<std::string> bytes = ReadPictureBytes(*picture_);
      return bytes ? HandGlobal(CopyToGlobal(*bytes), medium) : E_FAIL;
    }
    GlobalMemory dib = FullSizeDib(*picture_);
    if (!dib) return E_FAIL;  // changed, gone or damaged: nothing to hand on
    if (format->cfFormat == CF_DIB) return HandGlobal(std::move(dib), medium);
    EnhMetafile metafile = MakeMetafile(dib.Get());
    if (!metafile) return E_OUTOFMEMORY;
    medium->tymed = TYMED_ENHMF;
    medium->hEnhMetaFile = metafile.Detach();
    return S_OK;
  }

 private:
  std::shared_ptr<const PictureFile> picture_;
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

// The card's own JPEG file where it is one, else its pixels encoded as one; empty when
// the card gives nothing.
std::string JpegOf(IDataObject& picture) {
  FORMATETC jpegFormat = JpegFormat();
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

// A range of cards as rich text, each picture one \pict group sized to its pixels, and
// as plain text, which cards have none of.
class RangeRtf final : public DataObjectBase {
 public:
  explicit RangeRtf(std::vector<CopiedCard> cards)
      : DataObjectBase({{static_cast<CLIPFORMAT>(RtfFormat()), nullptr, DVASPECT_CONTENT, -1,
                         TYMED_HGLOBAL},
                        {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}}),
        cards_(std::move(cards)) {}

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    const HRESULT offered = QueryGetData(format);
    if (offered != S_OK) return offered;
    if (format->cfFormat == CF_UNICODETEXT) {
      return HandGlobal(CopyToGlobal({reinterpret_cast<const char*>(L""), sizeof(wchar_t)}),
                        medium);  // its NUL alone
    }
    RtfDocument document;
    for (const CopiedCard& card : cards_) {
      document.AddJpeg(JpegOf(*card.picture.Get()), card.extent.cx, card.extent.cy);
    }
    const std::string rtf = std::move(document).Finish();
    return HandGlobal(CopyToGlobal({rtf.c_str(), rtf.size() + 1}), medium);  // with its NUL
  }

 private:
  std::vector<CopiedCard> cards_;
};

}  // namespace

SIZEL PictureExtent(const PictureFile& picture) { return ExtentOf(picture.width, picture.height); }

ComPtr<IDataObject> MakeCardData(std::shared_ptr<const PictureFile> picture) {
  return Attached<IDataObject>(new CardData(std::move(picture)));
}

ComPtr<IDataObject> MakePictureCopy(ComPtr<IDataObject> card) {
  return Attached<IDataObject>(new (std::nothrow) PictureData(std::move(card)));
}

ComPtr<IDataObject> MakeRangeCopy(std::vector<CopiedCard> cards) {
  return Attached<IDataObject>(new (std::nothrow) RangeRtf(std::move(cards)));
}

CLIPFORMAT JpegFileFormat() {
  static const auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"JFIF"));
  return format;
}

}  // namespace td::win32
