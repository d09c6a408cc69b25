// Small COM objects of the platform's own: the reference counting they share, a list of
// clipboard formats, and the read-only data object the copy and drag of pictures use.
// Internal to platform/win32.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <array>
#include <new>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

namespace td::win32 {

// A row of an object's interface table: an IID QueryInterface answers, and the position
// among the object's interfaces of the one that answers it.
struct Answer {
  const IID* iid;
  size_t by;
};

// IUnknown for an object of one or more interfaces, freed with its last reference.
// QueryInterface answers from a table (IUnknown included, so that the object names the
// interface of its identity); the first interface is made from the arguments that follow
// the table.
template <class First, class... Others>
class RefCounted : public First, public Others... {
 public:
  template <class... Args>
  explicit RefCounted(std::span<const Answer> answers, Args&&... args)
      : First(std::forward<Args>(args)...), answers_(answers) {}
  // An object of one interface, answering for IUnknown and `iid`.
  template <class... Args>
  explicit RefCounted(const IID& iid, Args&&... args)
    requires(sizeof...(Others) == 0)
      : First(std::forward<Args>(args)...), own_{Answer{&IID_IUnknown, 0}, Answer{&iid, 0}},
        answers_(own_) {}

  // The row of `iid` answered by `Interface`, one of the object's.
  template <class Interface>
  static constexpr Answer By(const IID& iid) {
    constexpr std::array<bool, 1 + sizeof...(Others)> is = {std::is_same_v<Interface, First>,
                                                             std::is_same_v<Interface, Others>...};
    static_assert(std::find(is.begin(), is.end(), true) != is.end(), "not the object's");
    return {&iid, static_cast<size_t>(std::find(is.begin(), is.end(), true) - is.begin())};
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    const std::array<void*, 1 + sizeof...(Others)> interfaces = {static_cast<First*>(this),
                                                                  static_cast<Others*>(this)...};
    for (const Answer& answer : answers_) {
      if (IsEqualIID(iid, *answer.iid)) {
        *object = interfaces[answer.by];
        AddRef();
        return S_OK;
      }
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
  Answer own_[2] = {};
  std::span<const Answer> answers_;
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
