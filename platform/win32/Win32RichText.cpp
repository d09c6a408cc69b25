// RichTextView on the system's RichEdit control: an RTF document, or pictures added one
// after another at its end.
#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/win32/Win32CardObject.h"
#include "platform/win32/Win32ComObjects.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Picture.h"
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
  TakeOverCopyAndDrag(h);
  return std::make_unique<Win32RichTextView>(core, h, spec.bounds);
}

}  // namespace td::win32
