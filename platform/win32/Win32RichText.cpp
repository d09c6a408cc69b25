// RichTextView on the system's RichEdit control: an RTF document, or pictures added one
// after another at its end; the callback the control asks for storage and for the data
// of a copy; and the user's copy and drag of cards.
#include "platform/win32/Win32RichText.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/Win32CardObject.h"
#include "platform/win32/Win32ComObjects.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Libraries.h"
#include "platform/win32/Win32Picture.h"
#include "platform/win32/Win32PictureFormats.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

constexpr UINT_PTR kThawTimer = 0x7D01;
constexpr UINT kThawMs = 150;
constexpr wchar_t kFrozenProperty[] = L"TumbledeckRedrawFrozen";
constexpr IID kIidRichEditOleCallback = {
    0x00020D03, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// The newest RichEdit that the system has. Its library stays loaded for the life of the
// process, as every window of the class needs it.
const wchar_t* RichEditClass() {
  static const wchar_t* const className = []() -> const wchar_t* {
    if (LoadSystemLibrary(L"msftedit.dll")) return L"RICHEDIT50W";
    if (LoadSystemLibrary(L"riched20.dll")) return L"RichEdit20W";
    return nullptr;
  }();
  return className;
}

ComPtr<IRichEditOle> RichEditOle(HWND view) {
  ComPtr<IRichEditOle> ole;
  SendMessageW(view, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.Put()));
  return ole;
}

// Characters in the view; an embedded picture counts as one.
LONG TextLength(HWND view) {
  GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<LONG>(
      SendMessageW(view, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

bool IsReadOnly(HWND view) {
  return (SendMessageW(view, EM_GETOPTIONS, 0, 0) & ECO_READONLY) != 0;
}

// A new storage in memory, for one embedded object.
HRESULT NewMemoryStorage(IStorage** out) {
  *out = nullptr;
  ComPtr<ILockBytes> bytes;
  const HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put());
  if (FAILED(hr)) return hr;
  return StgCreateDocfileOnILockBytes(
      bytes.Get(), STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, out);
}

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
      *out = MakePictureCopy(std::move(picture)).Detach();
      return *out ? S_OK : E_OUTOFMEMORY;
    }
  }
  std::wstring text(static_cast<size_t>(to - from) + 1, L'\0');
  TEXTRANGEW textRange{{from, to}, text.data()};
  SendMessageW(view, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&textRange));
  std::vector<CopiedPiece> pieces(static_cast<size_t>(to - from));
  for (size_t i = 0; i < pieces.size(); ++i) pieces[i].letter = text[i];
  const LONG objects = ole->GetObjectCount();
  for (LONG i = 0; i < objects; ++i) {  // one pass over the objects, in order
    REOBJECT reo{};
    reo.cbStruct = sizeof reo;
    if (FAILED(ole->GetObject(i, &reo, REO_GETOBJ_POLEOBJ)) || !reo.poleobj) continue;
    const auto object = Attached(reo.poleobj);
    if (reo.cp >= from && reo.cp < to) {
      CopiedPiece& piece = pieces[static_cast<size_t>(reo.cp - from)];
      object->QueryInterface(IID_IDataObject, PutVoid(piece.picture));
      piece.extent = reo.sizel;
    }
  }
  *out = MakeRangeCopy(std::move(pieces)).Detach();
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

// Where the view is scrolled to, in pixels of its content. EM_GETSCROLLPOS answers in 16
// bits, and so does the scroll bar: Wine scales both once the content is taller than
// 65,535 pixels, as a view of many cards is. Where the first character stands tells it in
// 32 bits: the content starts at the top of the formatting rectangle.
POINT ScrollPosition(HWND view) {
  POINT at{};
  SendMessageW(view, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&at));  // never wide
  RECT format{};
  SendMessageW(view, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  POINTL first{};
  SendMessageW(view, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&first), 0);
  at.y = format.top - first.y;
  return at;
}

// What the user has made of the view: the scroll position and the selection (a plain
// caret included). Kept while the program adds to the end of the view (which moves the
// caret there, and the view along with it), and put back afterwards. Every message to
// the view costs a little under Wine, thousands of times over, so a caret that the
// program left at the end stays there.
class UserView {
 public:
  // `programsEnd` is where the program last left the caret: the end, or -1 if unknown.
  UserView(HWND view, LONG& programsEnd)
      : view_(view), programsEnd_(programsEnd), scroll_(ScrollPosition(view)) {
    SendMessageW(view_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection_));
    atKnownEnd_ = programsEnd_ >= 0 && selection_.cpMin == programsEnd_ &&
                  selection_.cpMax == programsEnd_;
    if (atKnownEnd_) return;
    CHARRANGE atEnd{kEnd, kEnd};  // beyond the text: its end
    SendMessageW(view_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&atEnd));
  }
  // Call once the program's object went in: the caret it left at the end moved past it.
  void Added() { added_ = true; }
  ~UserView() {
    if (atKnownEnd_) {
      if (added_) ++programsEnd_;
    } else {
      CHARRANGE end{};
      SendMessageW(view_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&end));
      programsEnd_ = end.cpMax;
      SendMessageW(view_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection_));
    }
    SendMessageW(view_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll_));
  }
  UserView(const UserView&) = delete;
  UserView& operator=(const UserView&) = delete;

 private:
  static constexpr LONG kEnd = 0x7FFFFFFF;
  HWND view_;
  LONG& programsEnd_;
  POINT scroll_;
  CHARRANGE selection_{};
  bool atKnownEnd_ = false;
  bool added_ = false;
};

// Inserts the card at the selection as one embedded object; the control's answer.
// `storage` is the one the view hands every card: the view wants one at hand, but
// nothing is ever saved into it (copies and drags are the program's own), and one for
// each card would cost half a card's bytes again.
// With `liftReadOnly`, the read-only view is made writable for the insertion alone.
HRESULT InsertCard(HWND view, IRichEditOle& ole,
                   std::shared_ptr<const EncodedPicture> picture, IStorage& storage,
                   bool liftReadOnly) {
  ComPtr<IOleClientSite> site;
  HRESULT hr = ole.GetClientSite(site.Put());
  if (FAILED(hr)) return hr;
  const SIZEL extent = PictureExtent(*picture);
  const ComPtr<IOleObject> object = MakeCardObject(std::move(picture), view);
  hr = object->SetClientSite(site.Get());
  if (FAILED(hr)) return hr;

  REOBJECT reo{};
  reo.cbStruct = sizeof reo;
  reo.cp = REO_CP_SELECTION;
  object->GetUserClassID(&reo.clsid);
  reo.poleobj = object.Get();
  reo.pstg = &storage;
  reo.polesite = site.Get();
  reo.sizel = extent;  // known from the header: laying the view out decodes nothing
  reo.dvaspect = DVASPECT_CONTENT;
  if (liftReadOnly) SendMessageW(view, EM_SETREADONLY, FALSE, 0);
  hr = ole.InsertObject(&reo);  // the control takes references of its own
  if (liftReadOnly) SendMessageW(view, EM_SETREADONLY, TRUE, 0);
  return hr;
}

class Win32RichTextView : public ChildControl<RichTextView> {
 public:
  using ChildControl::ChildControl;

  void SetReadOnly(bool readOnly) override {
    readOnly_ = readOnly;
    if (HWND h = Live()) SendMessageW(h, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
  }

  void ClearText() override {
    if (HWND h = Live()) SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    programsEnd_ = 0;
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
    programsEnd_ = -1;
    if (stream.dwError != 0) throw RunError(err::kPathFileAccess);
  }

  void SetSelStart(TextPosition position) override {
    HWND h = Live();
    if (!h) return;
    CHARRANGE range{position < 0 ? 0 : position, position < 0 ? 0 : position};
    SendMessageW(h, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    programsEnd_ = -1;
    SendMessageW(h, EM_SCROLLCARET, 0, 0);
    // Behind the first picture, the caret stands at the start of the next row when the
    // pictures wrap one to a row; the view is to show its start, the first picture.
    if (position <= 1) SendMessageW(h, WM_VSCROLL, SB_TOP, 0);
  }

  void AppendPicture(const Picture& picture) override {
    const auto* own = dynamic_cast<const Win32Picture*>(&picture);
    if (!own) throw InvalidPictureError();
    HWND h = Live();
    if (!h) return;
    const auto ole = RichEditOle(h);
    if (!ole) throw InternalError();
    if (!cardStorage_) {
      const HRESULT hr = NewMemoryStorage(cardStorage_.Put());
      if (FAILED(hr)) throw ErrorFromHresult(hr, InvalidClipboardFormatError());
    }
    IStorage& storage = *cardStorage_.Get();
    const auto insert = [&](bool liftReadOnly) {
      return InsertCard(h, *ole.Get(), own->Encoded(), storage, liftReadOnly);
    };
    FreezeRedrawBriefly(h);
    UserView keep(h, programsEnd_);
    HRESULT hr = S_OK;
    if (!readOnly_ || insertsWhenReadOnly_) {
      hr = insert(readOnly_ && !*insertsWhenReadOnly_);
    } else {
      // The first card into the read-only view tells whether the control takes objects
      // so (Wine's does): switching read-only off and on for every card costs more than
      // the rest of adding it. Only the count of objects tells, whatever the control
      // answers: it may refuse silently, or with a failure.
      const LONG before = ole->GetObjectCount();
      hr = insert(false);
      insertsWhenReadOnly_ = ole->GetObjectCount() > before;
      hr = *insertsWhenReadOnly_ ? S_OK : insert(true);
    }
    if (FAILED(hr)) throw ErrorFromHresult(hr, InvalidClipboardFormatError());
    keep.Added();
  }

 private:
  // Where the program last left the caret, at the end of the view; -1 when elsewhere.
  LONG programsEnd_ = 0;  // an empty view
  ComPtr<IStorage> cardStorage_;
  bool readOnly_ = false;
  std::optional<bool> insertsWhenReadOnly_;  // known after the first card into a read-only view
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

ComPtr<IRichEditOleCallback> MakeViewCallback(HWND view) {
  return Attached<IRichEditOleCallback>(new ViewCallback(view));
}

std::unique_ptr<RichTextView> CreateRichTextView(const std::shared_ptr<WindowCore>& core,
                                                 const ControlSpec& spec) {
  const wchar_t* className = RichEditClass();
  if (!className) throw InternalError();
  HWND h = CreateChildWindow(
      *core, className, spec.caption,
      WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE, spec.bounds,
      nullptr);
  SendMessageW(h, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);  // the default 32K would cut long files
  // The user changes nothing in a view, so there is nothing to undo; the program's own
  // additions would otherwise be kept a second time, one undo step each.
  SendMessageW(h, EM_SETUNDOLIMIT, 0, 0);
  SendMessageW(h, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ToColorRef(spec.backColor)));
  UseTinyFont(h);
  // The control takes a reference of its own.
  const ComPtr<IRichEditOleCallback> callback = MakeViewCallback(h);
  SendMessageW(h, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(callback.Get()));
  // Pressing the left button on a picture selects it; dragging it then hands it to the
  // program it is dropped on (Wine's RichEdit starts no drag of its own). A copy puts
  // what the callback offers on the clipboard, waiting a moment for a clipboard that
  // another program holds.
  SetWindowSubclass(h, ViewInputProc, 1, 0);
  return std::make_unique<Win32RichTextView>(core, h, spec.bounds);
}

}  // namespace td::win32
