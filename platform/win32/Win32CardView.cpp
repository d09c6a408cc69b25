// The card view: a window class of the program's own. CardLayout places its cards,
// CardSelection moves the user's selection, the shared cache of decoded pictures draws
// them, and a copy or a drag hands out the cards' data. It answers the messages that
// tools send a text control, one character for each card and a row of cards a line.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <richedit.h>  // the messages a text control answers

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/CardLayout.h"
#include "platform/CardSelection.h"
#include "platform/win32/Win32CardData.h"
#include "platform/win32/Win32ComObjects.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32PictureCache.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TumbledeckCardView";
constexpr COLORREF kUnreadable = RGB(48, 48, 48);
// A click on a scroll arrow, and each line a turn of the wheel scrolls: pixels at 100 %.
constexpr int kLineAt100 = 48;
constexpr wchar_t kObjectCharacter = 0xFFFC;  // what a text control gives for an object
// While cards go in, the scroll bar follows the content a few times a second: drawn
// anew for every card, it would cost more than the rest of adding one.
constexpr UINT_PTR kScrollBarTimer = 1;
constexpr UINT kScrollBarMs = 100;

class DropSource final : public RefCounted<IDropSource> {
 public:
  DropSource() : RefCounted(IID_IDropSource) {}
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(WINBOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

bool KeyDown(int key) { return GetKeyState(key) < 0; }

// What a view window is made with: its colour, and the window it is in, whose
// resolution it lays its cards out at (a child window takes its top-level window's).
struct CardWindowSpec {
  COLORREF back;
  std::weak_ptr<WindowCore> core;
};

// The state behind one view window, made with the window and gone with it.
class CardWindow {
 public:
  CardWindow(HWND hwnd, const CardWindowSpec& spec)
      : hwnd_(hwnd),
        core_(spec.core),
        background_(CreateSolidBrush(spec.back)),
        layout_(0, Dpi()) {}
  CardWindow(const CardWindow&) = delete;
  CardWindow& operator=(const CardWindow&) = delete;

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  void Append(std::shared_ptr<const PictureFile> card) {
    const int32_t height = layout_.Height();
    layout_.Add(card->width, card->height);
    cards_.push_back(std::move(card));
    // Only the last row changes: its cards stand on its bottom, which a taller card moves.
    InvalidateRow(layout_.RowOf(layout_.Count() - 1));
    if (layout_.Height() != height && !barDue_) {
      barDue_ = SetTimer(hwnd_, kScrollBarTimer, kScrollBarMs, nullptr) != 0;
      if (!barDue_) UpdateScrollBar();
    }
  }
  void Clear() {
    cards_.clear();
    layout_.Clear();
    selection_ = {};
    scroll_ = 0;
    InvalidateRect(hwnd_, nullptr, TRUE);
    UpdateScrollBar();
  }
  void SetReadOnly(bool readOnly) {
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, readOnly ? style | ES_READONLY : style & ~ES_READONLY);
  }
  // A caret at `position`, its card in sight; behind the first card, the view's start.
  void PlaceCaret(TextPosition position) {
    Select(Selecting(std::max(position, 0), std::max(position, 0), Count()));
    if (position <= 1) {
      ScrollTo(0);
    } else {
      ShowFocus();
    }
  }

 private:
  int32_t Count() const { return layout_.Count(); }
  int Dpi() const {
    const auto core = core_.lock();
    return core ? core->dpi : DpiOf(hwnd_);
  }
  int32_t Line() const { return MulDiv(kLineAt100, Dpi(), kStandardDpi); }
  RECT Client() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r;
  }
  int32_t PageHeight() const { return std::max<int32_t>(Client().bottom, 1); }
  int32_t LastScroll() const { return std::max(layout_.Height() - PageHeight(), 0); }

  // --- Layout and scrolling ---------------------------------------------------------
  void InvalidateRow(int32_t row) {
    const RECT r{0, layout_.RowTop(row) - scroll_, Client().right,
                 layout_.RowTop(row) + layout_.RowHeight(row) - scroll_};
    if (r.bottom > 0 && r.top < Client().bottom) InvalidateRect(hwnd_, &r, FALSE);
  }
  // Those of the cards from `from` to `to` that are in sight: a selection of all of
  // thousands costs only the rows on the screen.
  void InvalidateCards(TextPosition from, TextPosition to) {
    if (Count() == 0) return;
    const int32_t first = layout_.FirstOfRow(std::max(layout_.RowAt(scroll_), 0));
    const int32_t end = layout_.EndOfRow(layout_.RowAt(scroll_ + PageHeight()));
    for (int32_t card = std::max(from, first); card < std::min(to, end); ++card) {
      const CardBox box = layout_.Box(card);
      const RECT r{box.x, box.y - scroll_, box.x + box.width, box.y + box.height - scroll_};
      InvalidateRect(hwnd_, &r, FALSE);
    }
  }
  // Lays the cards out for the view's width and resolution, the card at the top of the
  // view staying at its top.
  void Reflow() {
    const int32_t row = layout_.RowAt(scroll_);
    const int32_t top = row >= 0 ? layout_.FirstOfRow(row) : 0;
    const int32_t into = row >= 0 ? scroll_ - layout_.RowTop(row) : 0;  // how far into its row
    layout_.Reflow(Client().right, Dpi());
    scroll_ = Count() ? layout_.RowTop(layout_.RowOf(top)) + into : 0;
    scroll_ = std::clamp(scroll_, 0, LastScroll());
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateScrollBar();
  }
  // The scroll bar shows where the content is taller than the view: the view is then
  // narrower, and lays its cards out again.
  void UpdateScrollBar() {
    if (barDue_) {
      KillTimer(hwnd_, kScrollBarTimer);
      barDue_ = false;
    }
    if (updatingBar_) {
      barStale_ = true;  // the bar came or went, and the cards moved
      return;
    }
    updatingBar_ = true;
    for (int round = 0; round < 3; ++round) {
      barStale_ = false;
      SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, layout_.Height() - 1,
                      static_cast<UINT>(PageHeight()), scroll_, 0};
      SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
      if (!barStale_) break;
    }
    updatingBar_ = false;
  }
  void ScrollTo(int32_t y) {
    const int32_t to = std::clamp(y, 0, LastScroll());
    if (to == scroll_) return;
    const int32_t by = scroll_ - to;
    scroll_ = to;
    if (by > -PageHeight() && by < PageHeight()) {
      // Within the margins: the top margin stays the view's colour.
      RECT inside = Client();
      inside.top = CardLayout::kMargin;
      ScrollWindowEx(hwnd_, 0, by, &inside, &inside, nullptr, nullptr, SW_INVALIDATE);
    } else {
      InvalidateRect(hwnd_, nullptr, FALSE);
    }
    if (barDue_) {
      UpdateScrollBar();  // its range too: the user is scrolling
    } else {
      SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, scroll_, 0};
      SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
    }
    if (tooltip_) SendMessageW(tooltip_.Get(), TTM_POP, 0, 0);
  }
  void OnScrollBar(WORD code) {
    SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    switch (code) {
      case SB_LINEUP: ScrollTo(scroll_ - Line()); break;
      case SB_LINEDOWN: ScrollTo(scroll_ + Line()); break;
      case SB_PAGEUP: ScrollTo(scroll_ - PageHeight()); break;
      case SB_PAGEDOWN: ScrollTo(scroll_ + PageHeight()); break;
      case SB_TOP: ScrollTo(0); break;
      case SB_BOTTOM: ScrollTo(LastScroll()); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:  // the 32-bit place, not the message's 16 bits
        if (GetScrollInfo(hwnd_, SB_VERT, &info)) ScrollTo(info.nTrackPos);
        break;
      default: break;
    }
  }
  void OnWheel(short delta) {
    wheel_ += delta;
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int32_t notch = lines == WHEEL_PAGESCROLL ? PageHeight() : static_cast<int32_t>(lines) * Line();
    const int notches = wheel_ / WHEEL_DELTA;
    wheel_ -= notches * WHEEL_DELTA;
    ScrollTo(scroll_ - notches * notch);
  }
  void ShowFocus() {
    const int32_t focus = FocusedCard(selection_, Count());
    if (focus < 0) return;
    const CardBox box = layout_.Box(focus);
    const int32_t top = layout_.RowTop(layout_.RowOf(focus));
    const int32_t bottom = top + layout_.RowHeight(layout_.RowOf(focus));
    if (top < scroll_) {
      ScrollTo(top);
    } else if (bottom > scroll_ + PageHeight()) {
      ScrollTo(std::min(bottom - PageHeight(), box.y));
    }
  }

  // --- Selection ----------------------------------------------------------------------
  void Select(const CardSelection& to) {
    const int32_t focus = FocusedCard(selection_, Count());
    InvalidateCards(selection_.Start(), selection_.End());
    InvalidateCards(focus, focus + 1);
    selection_ = to;
    InvalidateCards(selection_.Start(), selection_.End());
    const int32_t now = FocusedCard(selection_, Count());
    InvalidateCards(now, now + 1);
  }
  void OnKey(WPARAM key) {
    const bool control = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT);
    if (IsCopyKey(key)) return Copy();
    if (key == 'A' && control) return Select(Selecting(0, -1, Count()));
    CardKey move{};
    switch (key) {
      case VK_LEFT: move = CardKey::kLeft; break;
      case VK_RIGHT: move = CardKey::kRight; break;
      case VK_UP: move = CardKey::kUp; break;
      case VK_DOWN: move = CardKey::kDown; break;
      case VK_HOME: move = control ? CardKey::kFirst : CardKey::kRowStart; break;
      case VK_END: move = control ? CardKey::kLast : CardKey::kRowEnd; break;
      case VK_PRIOR: move = CardKey::kPageUp; break;
      case VK_NEXT: move = CardKey::kPageDown; break;
      default: return;  // nothing else the user types does anything
    }
    if (key == VK_PRIOR || key == VK_NEXT) {
      ScrollTo(scroll_ + (key == VK_NEXT ? PageHeight() : -PageHeight()));
    }
    Select(AfterKey(selection_, move, shift, layout_, PageHeight()));
    ShowFocus();
  }
  void OnPress(LPARAM at, WPARAM keys) {
    SetFocus(hwnd_);
    const POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    const int32_t y = point.y + scroll_;
    const auto card = layout_.CardAt(point.x, y);
    const bool shift = (keys & MK_SHIFT) != 0;
    // A press on a card of a selection may drag the selection; else it selects.
    if (!(card && !shift && !selection_.Empty() && selection_.Holds(*card))) {
      Select(AfterClick(selection_, layout_, point.x, y, shift));
    }
    if (!card || shift) return;
    POINT screen = point;
    ClientToScreen(hwnd_, &screen);
    if (DragDetect(hwnd_, screen)) {
      Drag();
    } else {
      Select(AfterClick(selection_, layout_, point.x, y, false));  // a click on a selection
    }
  }

  // --- What leaves the view -----------------------------------------------------------
  // The selection as a copy or a drag offers it: one card's picture, or a range as rich
  // text; a single card whose file changed gives nothing.
  ComPtr<IDataObject> SelectedData() const {
    if (selection_.Empty()) return {};
    if (selection_.End() - selection_.Start() == 1) {
      const auto& card = cards_[static_cast<size_t>(selection_.Start())];
      return IsUnchanged(*card) ? MakePictureCopy(MakeCardData(card)) : ComPtr<IDataObject>();
    }
    std::vector<CopiedCard> range;
    for (int32_t i = selection_.Start(); i < selection_.End(); ++i) {
      const auto& card = cards_[static_cast<size_t>(i)];
      range.push_back({MakeCardData(card), PictureExtent(*card)});
    }
    return MakeRangeCopy(std::move(range));
  }
  void Copy() const {
    // A clipboard kept busy by another program costs the copy, nothing else.
    if (const ComPtr<IDataObject> data = SelectedData()) PutDataOnClipboard(*data.Get());
  }
  void Drag() const {
    const ComPtr<IDataObject> data = SelectedData();
    const auto source = Attached<IDropSource>(new (std::nothrow) DropSource());
    DWORD effect = DROPEFFECT_NONE;
    if (data && source) DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY, &effect);
  }

  // --- Drawing --------------------------------------------------------------------------
  void Paint(HDC target, const RECT& area) const;
  void DrawCard(HDC dc, int32_t card, int dx, int dy) const;

  // --- The resting mouse's tooltip ------------------------------------------------------
  void MakeTooltip() {
    tooltip_.Reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr));
    if (!tooltip_) return;  // the cards show without
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  // A new card under the mouse: the tip goes, to come back with its name once the mouse
  // rests.
  void OnMouseMove(LPARAM at) {
    const auto card = layout_.CardAt(static_cast<short>(LOWORD(at)),
                                     static_cast<short>(HIWORD(at)) + scroll_);
    const int32_t under = card ? *card : -1;
    if (under == tipCard_) return;
    tipCard_ = under;
    if (tooltip_) SendMessageW(tooltip_.Get(), TTM_POP, 0, 0);
  }
  LRESULT OnNotify(const NMHDR& header) {
    if (header.code != TTN_GETDISPINFOW || header.hwndFrom != tooltip_.Get()) return 0;
    auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
    tipText_ = tipCard_ >= 0 && tipCard_ < Count()
                   ? cards_[static_cast<size_t>(tipCard_)]->FolderName()
                   : std::wstring();
    info.lpszText = tipText_.data();
    return 0;
  }

  // --- A text control's messages ---------------------------------------------------------
  LRESULT Text(WPARAM size, wchar_t* buffer) const {
    if (!buffer || size == 0) return 0;
    const auto letters = static_cast<size_t>(std::min<int64_t>(Count(), static_cast<int64_t>(size) - 1));
    std::fill_n(buffer, letters, kObjectCharacter);
    buffer[letters] = L'\0';
    return static_cast<LRESULT>(letters);
  }
  LRESULT PositionOf(WPARAM cp) const {
    if (cp > static_cast<WPARAM>(Count())) return -1;
    POINT at{CardLayout::kMargin, CardLayout::kMargin};
    if (cp < static_cast<WPARAM>(Count())) {
      const CardBox box = layout_.Box(static_cast<int32_t>(cp));
      at = {box.x, box.y};
    } else if (Count() > 0) {
      const CardBox last = layout_.Box(Count() - 1);
      at = {last.x + last.width, last.y};
    }
    return MAKELRESULT(static_cast<WORD>(at.x), static_cast<WORD>(at.y - scroll_));
  }
  void SetSelectionMessage(TextPosition from, TextPosition to) {
    // A start of -1 drops the selection and leaves the caret where it was.
    Select(from < 0 ? CardSelection{selection_.active, selection_.active}
                    : Selecting(from, to, Count()));
  }

  HWND hwnd_;
  std::weak_ptr<WindowCore> core_;
  Brush background_;
  CardLayout layout_;
  std::vector<std::shared_ptr<const PictureFile>> cards_;
  CardSelection selection_;
  int32_t scroll_ = 0;  // the content's line at the top of the view
  int wheel_ = 0;       // a turn of the wheel not yet scrolled
  bool updatingBar_ = false;
  bool barStale_ = false;
  bool barDue_ = false;  // its timer runs
  OwnWindow tooltip_;
  int32_t tipCard_ = -1;
  std::wstring tipText_;
};

// A card at its place in the view, offset by (dx, dy): its pixels where its file is as
// it was, a plain dark box where not; a selected card under the system's colour of a
// selection, half and half, and the focus's frame where the view has the focus.
void CardWindow::DrawCard(HDC dc, int32_t card, int dx, int dy) const {
  const CardBox box = layout_.Box(card);
  const RECT place{box.x + dx, box.y + dy, box.x + dx + box.width, box.y + dy + box.height};
  const auto decoded =
      PictureCache::Shared().Get(cards_[static_cast<size_t>(card)], box.width, box.height);
  if (decoded) {
    const BITMAPINFO info = BgrxInfo(decoded->width, decoded->height);
    SetDIBitsToDevice(dc, place.left, place.top, static_cast<DWORD>(decoded->width),
                      static_cast<DWORD>(decoded->height), 0, 0, 0,
                      static_cast<UINT>(decoded->height), decoded->bits, &info, DIB_RGB_COLORS);
  } else {
    const Brush dark(CreateSolidBrush(kUnreadable));
    FillRect(dc, &place, dark.Get());
  }
  if (selection_.Holds(card)) {
    const COLORREF colour = GetSysColor(COLOR_HIGHLIGHT);
    const DWORD pixel = RGB(GetBValue(colour), GetGValue(colour), GetRValue(colour));
    const BITMAPINFO one = BgrxInfo(1, 1);
    HDC source = CreateCompatibleDC(dc);
    void* bits = nullptr;
    const Bitmap highlight(CreateDIBSection(dc, &one, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (source && highlight && bits) {
      *static_cast<DWORD*>(bits) = pixel;
      const HGDIOBJ old = SelectObject(source, highlight.Get());
      GdiAlphaBlend(dc, place.left, place.top, box.width, box.height, source, 0, 0, 1, 1,
                    BLENDFUNCTION{AC_SRC_OVER, 0, 128, 0});
      SelectObject(source, old);
    }
    if (source) DeleteDC(source);
  }
  if (GetFocus() == hwnd_ && card == FocusedCard(selection_, Count())) {
    RECT frame = place;
    InflateRect(&frame, -1, -1);
    DrawFocusRect(dc, &frame);
  }
}

// The area through a bitmap of its own, so that nothing flickers: the view's colour,
// and the cards of the rows that cross it, within the margins.
void CardWindow::Paint(HDC target, const RECT& area) const {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  HDC dc = CreateCompatibleDC(target);
  const Bitmap canvas(CreateCompatibleBitmap(target, width, height));
  if (!dc || !canvas) {
    if (dc) DeleteDC(dc);
    return;
  }
  const HGDIOBJ old = SelectObject(dc, canvas.Get());
  const RECT all{0, 0, width, height};
  FillRect(dc, &all, background_.Get());
  // Cards show within the margins, however far the view is scrolled.
  const RECT client = Client();
  IntersectClipRect(dc, CardLayout::kMargin - area.left, CardLayout::kMargin - area.top,
                    client.right - CardLayout::kMargin - area.left, client.bottom - area.top);
  const int32_t first = layout_.RowAt(scroll_ + area.top);
  const int32_t last = layout_.RowAt(scroll_ + area.bottom - 1);
  for (int32_t row = std::max(first, 0); first >= 0 && row <= last; ++row) {
    for (int32_t card = layout_.FirstOfRow(row); card < layout_.EndOfRow(row); ++card) {
      const CardBox box = layout_.Box(card);
      if (box.x >= area.right || box.x + box.width <= area.left) continue;
      DrawCard(dc, card, -area.left, -(scroll_ + area.top));
    }
  }
  BitBlt(target, area.left, area.top, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
}

LRESULT CardWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      MakeTooltip();
      Reflow();
      return 0;
    case WM_DESTROY:  // the tooltip may have gone with the top-level window that owns it
      if (!IsWindow(tooltip_.Get())) tooltip_.Detach();
      tooltip_.Reset();
      return 0;
    case WM_SIZE: Reflow(); return 0;
    case WM_ERASEBKGND: return 1;  // the paint covers it all
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      Paint(dc, paint.rcPaint);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam), Client()); return 0;
    case WM_TIMER:
      if (wParam == kScrollBarTimer) UpdateScrollBar();
      return 0;
    case WM_VSCROLL: OnScrollBar(LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: OnWheel(static_cast<short>(HIWORD(wParam))); return 0;
    case WM_KEYDOWN: OnKey(wParam); return 0;
    case WM_LBUTTONDOWN: OnPress(lParam, wParam); return 0;
    case WM_MOUSEMOVE: OnMouseMove(lParam); return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const int32_t focus = FocusedCard(selection_, Count());
      InvalidateCards(focus, focus + 1);
      return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    // The user changes nothing: typing, cutting, pasting, deleting, undoing, replacing.
    case WM_CHAR: case WM_CUT: case WM_PASTE: case WM_CLEAR: case WM_UNDO: case EM_UNDO:
    case EM_REPLACESEL: return 0;
    case WM_COPY: Copy(); return 0;
    case WM_GETTEXTLENGTH: return Count();
    case WM_GETTEXT: return Text(wParam, reinterpret_cast<wchar_t*>(lParam));
    case WM_SETTEXT: {  // only to empty the view: it holds cards, not text
      const auto* text = reinterpret_cast<const wchar_t*>(lParam);
      if (text && *text) return FALSE;
      Clear();
      return TRUE;
    }
    case EM_SETREADONLY: SetReadOnly(wParam != 0); return TRUE;
    case EM_GETSEL: {
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(selection_.Start());
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(selection_.End());
      return selection_.End() > 0xFFFF ? -1 : MAKELRESULT(selection_.Start(), selection_.End());
    }
    case EM_SETSEL:
      SetSelectionMessage(static_cast<TextPosition>(wParam), static_cast<TextPosition>(lParam));
      return 0;
    case EM_EXGETSEL: {
      auto* range = reinterpret_cast<CHARRANGE*>(lParam);
      if (range) *range = {selection_.Start(), selection_.End()};
      return 0;
    }
    case EM_EXSETSEL: {
      const auto* range = reinterpret_cast<const CHARRANGE*>(lParam);
      if (range) SetSelectionMessage(range->cpMin, range->cpMax);
      return selection_.End();
    }
    case EM_GETLINECOUNT: return std::max(layout_.Rows(), 1);
    case EM_GETFIRSTVISIBLELINE: return std::max(layout_.RowAt(scroll_), 0);
    case EM_LINEINDEX: {
      const auto line = static_cast<int32_t>(wParam);
      return line >= 0 && line < layout_.Rows() ? layout_.FirstOfRow(line) : -1;
    }
    case EM_LINEFROMCHAR: {
      const auto cp = static_cast<int32_t>(wParam);
      return cp >= 0 && cp < Count() ? layout_.RowOf(cp) : std::max(layout_.Rows() - 1, 0);
    }
    case EM_POSFROMCHAR: return PositionOf(wParam);
    case EM_SCROLLCARET: ShowFocus(); return 0;
    default: return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

LRESULT CALLBACK CardViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    const auto& spec = *static_cast<const CardWindowSpec*>(create->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(new (std::nothrow) CardWindow(hwnd, spec)));
  }
  auto* view = reinterpret_cast<CardWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    delete view;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (!view) return DefWindowProcW(hwnd, message, wParam, lParam);
  try {
    return view->Handle(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through the system's message dispatch.
    ReportAndExit(ReportedError(std::current_exception()));
  }
}

void RegisterCardViewClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = CardViewProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  if (!registered) throw InternalError();
}

class Win32CardView : public ChildControl<CardView> {
 public:
  using ChildControl::ChildControl;

  void SetReadOnly(bool readOnly) override {
    if (CardWindow* view = State()) view->SetReadOnly(readOnly);
  }
  void ClearText() override {
    if (CardWindow* view = State()) view->Clear();
  }
  void SetSelStart(TextPosition position) override {
    if (CardWindow* view = State()) view->PlaceCaret(position);
  }
  void AppendPicture(const Picture& picture) override {
    const auto* own = dynamic_cast<const Win32Picture*>(&picture);
    if (!own) throw InvalidPictureError();
    if (CardWindow* view = State()) view->Append(own->File());
  }

 private:
  CardWindow* State() const {
    HWND h = Live();
    return h ? reinterpret_cast<CardWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA)) : nullptr;
  }
};

}  // namespace

std::unique_ptr<CardView> CreateCardView(const std::shared_ptr<WindowCore>& core,
                                         const ControlSpec& spec) {
  RegisterCardViewClass();
  CardWindowSpec made{ToColorRef(spec.backColor), core};
  HWND h = CreateChildWindow(*core, kClassName, "", WS_TABSTOP | WS_VSCROLL, WS_EX_CLIENTEDGE,
                             spec.bounds, nullptr, &made);
  auto view = std::make_unique<Win32CardView>(core, h, spec.bounds);
  if (!GetWindowLongPtrW(h, GWLP_USERDATA)) throw OutOfMemoryError();  // the view goes with it
  return view;
}

}  // namespace td::win32
