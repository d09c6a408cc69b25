// Small COM objects of the platform's own: the reference counting they share, a list of
// clipboard formats, and the read-only data object the copy and drag of pictures use.
// Internal to platform/win32.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <new>
#include <utility>
#include <vector>

namespace td::win32 {

// IUnknown for an object of one interface, freed with its last reference.
template <class Interface>
class RefCounted : public Interface {
 public:
  template <class... Args>
  explicit RefCounted(const IID& iid, Args&&... args)
      : Interface(std::forward<Args>(args)...), iid_(iid) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, iid_)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long left = --references_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  virtual ~RefCounted() = default;

 private:
  const IID& iid_;
  long references_ = 1;  // one thread only: the user-interface thread
};

// A storage medium that frees what it holds, unless it was handed on.
class StorageMedium {
 public:
  StorageMedium() { medium_.tymed = TYMED_NULL; }
  ~StorageMedium() { ReleaseStgMedium(&medium_); }
  StorageMedium(const StorageMedium&) = delete;
  StorageMedium& operator=(const StorageMedium&) = delete;
  STGMEDIUM* Get() { return &medium_; }
  void HandedOn() {
    medium_.tymed = TYMED_NULL;
    medium_.pUnkForRelease = nullptr;
  }

 private:
  STGMEDIUM medium_{};
};

inline FORMATETC DibFormat() { return {CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }
inline FORMATETC MetafileFormat() {
  return {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
}

// IDataObject for a fixed list of formats, but for GetData and IUnknown, which whoever
// derives from it provides: the formats are listed and queried, nothing is set or
// advised.
class FixedFormatData : public IDataObject {
 public:
  explicit FixedFormatData(std::vector<FORMATETC> formats) : formats_(std::move(formats)) {}
  virtual ~FixedFormatData() = default;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  std::vector<FORMATETC> formats_;
};

// The data object every copy and drag of the platform hands out: a fixed list of
// formats, each made by GetData when a program asks for it.
class DataObjectBase : public RefCounted<FixedFormatData> {
 public:
  explicit DataObjectBase(std::vector<FORMATETC> formats)
      : RefCounted(IID_IDataObject, std::move(formats)) {}
};

}  // namespace td::win32
