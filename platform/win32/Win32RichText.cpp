// RichTextView on the system's RichEdit control: an RTF document, or pictures pasted
// one after another.
#include <algorithm>
#include <cstring>

#include "platform/win32/Win32ComObjects.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32PictureFormats.h"
#include "platform/win32/Win32RichTextOle.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

constexpr UINT_PTR kThawTimer = 0x7D01;
constexpr UINT kThawMs = 150;
constexpr wchar_t kFrozenProperty[] = L"TumbledeckRedrawFrozen";

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

void CALLBACK ThawRedraw(HWND view, UINT, UINT_PTR id, DWORD) {
  KillTimer(view, id);
  if (!RemovePropW(view, kFrozenProperty)) return;
  SendMessageW(view, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

// Stops drawing for a moment: a timer draws again once, kThawMs later. A fill of many
// pictures then repaints a few times a second instead of once per picture, the
// largest cost of a fill.
void FreezeRedrawBriefly(HWND view) {
  if (GetPropW(view, kFrozenProperty)) return;
  if (!SetTimer(view, kThawTimer, kThawMs, ThawRedraw)) return;
  SetPropW(view, kFrozenProperty, reinterpret_cast<HANDLE>(1));
  SendMessageW(view, WM_SETREDRAW, FALSE, 0);
}

// A picture object that draws and keeps only the DIB: the default handler of a static
// bitmap with its data cache. (Wine draws no pasted metafile, and a cached metafile
// beside the DIB would double the memory of every card.)
ComPtr<IOleObject> MakePictureObject(IStorage& storage, STGMEDIUM& dib) {
  ComPtr<IOleObject> object;
  ComPtr<IPersistStorage> persist;
  ComPtr<IOleCache> cache;
  FORMATETC format = DibFormat();
  DWORD connection = 0;
  HRESULT hr = OleCreateDefaultHandler(CLSID_Picture_Dib, nullptr, IID_IOleObject, PutVoid(object));
  if (SUCCEEDED(hr)) hr = object->QueryInterface(IID_IPersistStorage, PutVoid(persist));
  if (SUCCEEDED(hr)) hr = persist->InitNew(&storage);  // nothing is written to it
  if (SUCCEEDED(hr)) hr = object->QueryInterface(IID_IOleCache, PutVoid(cache));
  if (SUCCEEDED(hr)) hr = cache->Cache(&format, ADVF_PRIMEFIRST, &connection);
  if (SUCCEEDED(hr)) hr = cache->SetData(&format, &dib, TRUE);  // the cache takes the DIB
  if (FAILED(hr)) throw ErrorFromHresult(hr, InvalidClipboardFormatError());
  return object;
}

// The clipboard's picture at the caret as one embedded object, replacing the
// selection; the caret ends behind it.
void PastePicture(HWND view, GlobalMemory dib) {
  const SIZE size = DibSize(dib.Get());
  if (size.cx == 0) throw InvalidPictureError();
  const SIZE dpi = ScreenDpi();
  const auto ole = RichEditOle(view);
  if (!ole) throw InternalError();
  ComPtr<IOleClientSite> site;
  ComPtr<IStorage> storage;
  HRESULT hr = ole->GetClientSite(site.Put());
  if (SUCCEEDED(hr)) hr = NewMemoryStorage(storage.Put());
  if (FAILED(hr)) throw ErrorFromHresult(hr, InvalidClipboardFormatError());
  StorageMedium medium;
  medium.Get()->tymed = TYMED_HGLOBAL;
  medium.Get()->hGlobal = dib.Detach();
  const ComPtr<IOleObject> object = MakePictureObject(*storage.Get(), *medium.Get());
  medium.HandedOn();
  hr = object->SetClientSite(site.Get());
  if (FAILED(hr)) throw ErrorFromHresult(hr, InvalidClipboardFormatError());

  REOBJECT reo{};
  reo.cbStruct = sizeof reo;
  reo.cp = REO_CP_SELECTION;
  reo.clsid = CLSID_Picture_Dib;
  reo.poleobj = object.Get();
  reo.pstg = storage.Get();
  reo.polesite = site.Get();
  reo.sizel = {MulDiv(size.cx, 2540, dpi.cx), MulDiv(size.cy, 2540, dpi.cy)};  // 0.01 mm
  reo.dvaspect = DVASPECT_CONTENT;
  FreezeRedrawBriefly(view);
  hr = ole->InsertObject(&reo);  // the control takes references of its own
  if (FAILED(hr)) throw ErrorFromHresult(hr, InvalidClipboardFormatError());
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
    // Behind the first picture, the caret stands at the start of the next row when the
    // pictures wrap one to a row; the view is to show its start, the first picture.
    if (position <= 1) SendMessageW(h, WM_VSCROLL, SB_TOP, 0);
  }

  void PasteFromClipboard() override {
    HWND h = Live();
    // Wine's RichEdit would insert an object into a read-only view.
    if (!h || IsReadOnly(h)) return;
    GlobalMemory dib = ClipboardDib();
    if (!dib) {
      SendMessageW(h, WM_PASTE, 0, 0);  // no picture: whatever the clipboard holds
      return;
    }
    PastePicture(h, std::move(dib));
  }
};

// A 1-point font: rows of pictures follow one another without a gap for the text's
// descent below them.
void UseTinyFont(HWND view) {
  CHARFORMAT2W font{};
  font.cbSize = sizeof font;
  font.dwMask = CFM_SIZE;
  font.yHeight = 20;  // twips
  SendMessageW(view, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&font));
}

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
  UseTinyFont(h);
  // The control takes a reference of its own.
  const ComPtr<IRichEditOleCallback> callback = MakeViewCallback(h);
  SendMessageW(h, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(callback.Get()));
  EnablePictureDragOut(h);
  return std::make_unique<Win32RichTextView>(core, h, spec.bounds);
}

}  // namespace td::win32
