// RichTextView on the system's RichEdit control.
#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

// The newest RichEdit that the system has. Its library stays loaded for the life of the
// process, as every window of the class needs it.
const wchar_t* RichEditClass() {
  static const wchar_t* const className = []() -> const wchar_t* {
    if (LoadLibraryW(L"msftedit.dll")) return L"RICHEDIT50W";
    if (LoadLibraryW(L"riched20.dll")) return L"RichEdit20W";
    return nullptr;
  }();
  return className;
}

constexpr IID kIidRichEditOleCallback = {
    0x00020D03, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// RichEdit asks its container for storage before it embeds an object; without this
// callback some versions refuse to paste pictures.
class OleCallback final : public IRichEditOleCallback {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidRichEditOleCallback)) {
      *object = static_cast<IRichEditOleCallback*>(this);
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

  HRESULT STDMETHODCALLTYPE GetNewStorage(LPSTORAGE* storage) override {
    if (!storage) return E_INVALIDARG;
    *storage = nullptr;
    ComPtr<ILockBytes> bytes;
    const HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put());
    if (FAILED(hr)) return hr;
    return StgCreateDocfileOnILockBytes(
        bytes.Get(), STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, storage);
  }
  HRESULT STDMETHODCALLTYPE GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*,
                                              LPOLEINPLACEFRAMEINFO) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ShowContainerUI(WINBOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryInsertObject(LPCLSID, LPSTORAGE, LONG) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DeleteObject(LPOLEOBJECT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD, WINBOOL,
                                            HGLOBAL) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT*) override {
    return E_NOTIMPL;  // the control's own clipboard data
  }
  HRESULT STDMETHODCALLTYPE GetDragDropEffect(WINBOOL, DWORD, LPDWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU*) override {
    return E_NOTIMPL;
  }

 private:
  ~OleCallback() = default;
  long references_ = 1;
};

struct StreamSource {
  const std::string* bytes;
  size_t offset;
};

DWORD CALLBACK ReadFromMemory(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const size_t left = source->bytes->size() - source->offset;
  const size_t count = std::min(left, static_cast<size_t>(wanted > 0 ? wanted : 0));
  if (count) std::memcpy(buffer, source->bytes->data() + source->offset, count);
  source->offset += count;
  *got = static_cast<LONG>(count);
  return 0;
}

class Win32RichTextView : public ChildControl<RichTextView> {
 public:
  using ChildControl::ChildControl;

  void SetReadOnly(bool readOnly) override {
    if (HWND h = Live()) SendMessageW(h, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
  }

  void ClearText() override {
    if (HWND h = Live()) SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  }

  void LoadFile(const std::string& path) override {
    const std::string content = ReadWholeFile(path);  // RunError 53, 70, 75, 76
    HWND h = Live();
    if (!h) return;
    // A file that is no RTF shows as plain text in the ANSI code page.
    const bool rtf = content.rfind("{\\rtf", 0) == 0;
    StreamSource source{&content, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadFromMemory;
    SendMessageW(h, EM_STREAMIN, rtf ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0) throw RunError(err::kPathFileAccess);
  }

  void SetSelStart(long position) override {
    HWND h = Live();
    if (!h) return;
    CHARRANGE range{position < 0 ? 0 : position, position < 0 ? 0 : position};
    SendMessageW(h, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(h, EM_SCROLLCARET, 0, 0);
  }

  void PasteFromClipboard() override {
    // Sent, not posted: the picture is in the view when this returns. A read-only
    // view ignores it by itself.
    if (HWND h = Live()) SendMessageW(h, WM_PASTE, 0, 0);
  }
};

}  // namespace

std::unique_ptr<RichTextView> CreateRichTextView(const std::shared_ptr<WindowCore>& core,
                                                 const ControlSpec& spec) {
  const wchar_t* className = RichEditClass();
  if (!className) throw InternalError();
  HWND h = CreateChildWindow(
      *core, className, spec.caption,
      WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE, spec.bounds,
      nullptr);
  SendMessageW(h, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);  // the default 32K would cut long files
  SendMessageW(h, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ToColorRef(spec.backColor)));
  // The control takes a reference of its own.
  const ComPtr<IRichEditOleCallback> callback(new OleCallback());
  SendMessageW(h, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(callback.Get()));
  return std::make_unique<Win32RichTextView>(core, h, spec.bounds);
}

}  // namespace td::win32
