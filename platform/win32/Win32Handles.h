// One owner for every Win32 handle, GDI object and COM pointer the platform holds: it
// frees its value exactly once, the way that kind must be freed. Internal to
// platform/win32.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>

namespace td::win32 {

// Traits name the kind's type, tell a live value from an empty one and free a live one.
template <class Traits>
class Owned {
 public:
  using Type = typename Traits::Type;

  Owned() = default;
  explicit Owned(Type value) : value_(value) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : value_(other.Detach()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Type Get() const { return value_; }
  explicit operator bool() const { return Traits::IsLive(value_); }
  // Gives the value up without freeing it: someone else owns it now (the clipboard,
  // for instance, once it accepted the data).
  Type Detach() { return std::exchange(value_, Type{}); }
  void Reset(Type value = Type{}) {
    if (Traits::IsLive(value_)) Traits::Free(value_);
    value_ = value;
  }
  // For calls that hand a new value back through an out parameter.
  Type* Put() {
    Reset();
    return &value_;
  }
 private:
  Type value_{};
};

// Handles whose "none" is null alone.
template <class T, auto FreeFunction>
struct NullIsEmpty {
  using Type = T;
  static bool IsLive(T value) { return value != nullptr; }
  static void Free(T value) { FreeFunction(value); }
};

// Kernel handles: some calls say "none" with null, others with INVALID_HANDLE_VALUE.
template <auto FreeFunction>
struct KernelTraits {
  using Type = HANDLE;
  static bool IsLive(HANDLE value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
  static void Free(HANDLE value) { FreeFunction(value); }
};

inline void FreeGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void ReleaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
inline void DestroyOwnWindow(HWND window) { DestroyWindow(window); }

using KernelHandle = Owned<KernelTraits<CloseHandle>>;  // files, processes, threads
using FindHandle = Owned<KernelTraits<FindClose>>;
using Brush = Owned<NullIsEmpty<HBRUSH, FreeGdiObject>>;
using Font = Owned<NullIsEmpty<HFONT, FreeGdiObject>>;
using Bitmap = Owned<NullIsEmpty<HBITMAP, FreeGdiObject>>;
using Icon = Owned<NullIsEmpty<HICON, DestroyIcon>>;
using EnhMetafile = Owned<NullIsEmpty<HENHMETAFILE, DeleteEnhMetaFile>>;
using GlobalMemory = Owned<NullIsEmpty<HGLOBAL, GlobalFree>>;
using RegistryKey = Owned<NullIsEmpty<HKEY, RegCloseKey>>;
using ScreenDc = Owned<NullIsEmpty<HDC, ReleaseScreenDc>>;  // from GetDC(nullptr)
using OwnWindow = Owned<NullIsEmpty<HWND, DestroyOwnWindow>>;  // a window the platform made

// A reference to a COM object. Taking a raw pointer takes a reference of its own, as
// handing one on does: no caller counts references by hand. A reference someone handed
// over (a new object, an out parameter) is taken over with Attach or Put.
template <class Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}  // null converts, as to a raw pointer
  explicit ComPtr(Interface* object) : object_(object) { AddRef(); }
  ComPtr(const ComPtr& other) : ComPtr(other.object_) {}
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ~ComPtr() { Release(); }
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ComPtr& operator=(Interface* object) { return *this = ComPtr(object); }

  Interface* Get() const { return object_; }
  Interface* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

  // Takes over a reference that was handed over, such as a new object's first one.
  void Attach(Interface* object) {
    Release();
    object_ = object;
  }
  // Gives the reference up without releasing it: the caller owns it now.
  Interface* Detach() { return std::exchange(object_, nullptr); }
  void Reset() { Attach(nullptr); }
  // For calls that hand a new reference back through an out parameter.
  Interface** Put() {
    Reset();
    return &object_;
  }
  // Hands a reference of its own (or null) out through an out parameter.
  void CopyTo(Interface** out) const { *out = ComPtr(*this).Detach(); }

 private:
  void AddRef() const {
    if (object_) object_->AddRef();
  }
  void Release() {
    if (object_) std::exchange(object_, nullptr)->Release();
  }

  Interface* object_ = nullptr;
};

// A new object's first reference, taken over.
template <class Interface>
ComPtr<Interface> Attached(Interface* object) {
  ComPtr<Interface> pointer;
  pointer.Attach(object);
  return pointer;
}

// For the calls that hand an interface back through a void** (QueryInterface and kin).
template <class Interface>
void** PutVoid(ComPtr<Interface>& pointer) {
  return reinterpret_cast<void**>(pointer.Put());
}

// Something the calling thread starts and must end again: COM, OLE. It is ended only
// where this started it (a thread may have started it before, in another mode).
template <HRESULT (*Start)(), void(WINAPI* End)()>
class ThreadScope {
 public:
  ThreadScope() : started_(SUCCEEDED(Start())) {}
  ~ThreadScope() {
    if (started_) End();
  }
  ThreadScope(const ThreadScope&) = delete;
  ThreadScope& operator=(const ThreadScope&) = delete;

 private:
  bool started_;
};

// Apartment threaded: the rich-text view embeds pictures through OLE, and the picture
// codecs are COM objects, all on the user-interface thread.
inline HRESULT StartComApartment() { return CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
inline HRESULT StartOle() { return OleInitialize(nullptr); }
using ComApartment = ThreadScope<StartComApartment, CoUninitialize>;
using OleSession = ThreadScope<StartOle, OleUninitialize>;

// Global memory, locked for as long as this lives.
class LockedGlobal {
 public:
  explicit LockedGlobal(HGLOBAL memory)
      : memory_(memory), bytes_(memory ? GlobalLock(memory) : nullptr) {}
  ~LockedGlobal() {
    if (bytes_) GlobalUnlock(memory_);
  }
  LockedGlobal(const LockedGlobal&) = delete;
  LockedGlobal& operator=(const LockedGlobal&) = delete;
  void* Bytes() const { return bytes_; }

 private:
  HGLOBAL memory_;
  void* bytes_;
};

// A new movable block holding a copy of `bytes`, as the clipboard and data objects hand
// them on; empty when memory is short.
inline GlobalMemory CopyToGlobal(std::string_view bytes) {
  GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
  if (!memory) return {};
  const LockedGlobal lock(memory.Get());
  if (!lock.Bytes()) return {};
  std::memcpy(lock.Bytes(), bytes.data(), bytes.size());
  return memory;
}

}  // namespace td::win32
