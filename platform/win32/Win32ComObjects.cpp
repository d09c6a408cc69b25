#include "platform/win32/Win32ComObjects.h"

namespace td::win32 {
namespace {

class FormatEnumerator final : public RefCounted<IEnumFORMATETC> {
 public:
  explicit FormatEnumerator(std::vector<FORMATETC> formats, size_t next = 0)
      : RefCounted(IID_IEnumFORMATETC), formats_(std::move(formats)), next_(next) {}
  HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
    if (!out || (count != 1 && !fetched)) return E_INVALIDARG;
    ULONG done = 0;
    while (done < count && next_ < formats_.size()) out[done++] = formats_[next_++];
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    next_ = std::min(formats_.size(), next_ + count);
    return next_ < formats_.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) FormatEnumerator(formats_, next_);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

 private:
  std::vector<FORMATETC> formats_;
  size_t next_;
};

}  // namespace

HRESULT FixedFormatData::QueryGetData(FORMATETC* format) {
  if (!format) return E_INVALIDARG;
  if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  for (const FORMATETC& offered : formats_) {
    if (offered.cfFormat == format->cfFormat) {
      return (offered.tymed & format->tymed) ? S_OK : DV_E_TYMED;
    }
  }
  return DV_E_FORMATETC;
}

HRESULT FixedFormatData::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  *out = new (std::nothrow) FormatEnumerator(formats_);
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT FixedFormatData::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (out) out->ptd = nullptr;
  return E_NOTIMPL;
}


}  // namespace td::win32
