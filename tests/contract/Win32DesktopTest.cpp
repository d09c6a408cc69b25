// The viewer's Windows code on the desktops users have: other programs at the clipboard
// while the program waits for it, a rich-text control that answers an insertion into a
// read-only view its own way, and views taller than 65,535 pixels. Built into the
// contract suite under Wine only.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <richole.h>

#include <memory>
#include <string>
#include <vector>

#include "ContractTest.h"
#include "Win32Helpers.h"
#include "platform/win32/Win32Handles.h"

namespace td::contract {
namespace {

using win32::ComPtr;

// The extents of the view's objects, in view order: every card has a size of its own.
std::vector<LONG> ObjectWidths(HWND view) {
  ComPtr<IRichEditOle> ole;
  SendMessageW(view, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.Put()));
  std::vector<LONG> widths;
  for (LONG i = 0; ole && i < ole->GetObjectCount(); ++i) {
    REOBJECT reo{};
    reo.cbStruct = sizeof reo;
    if (SUCCEEDED(ole->GetObject(i, &reo, REO_GETOBJ_NO_INTERFACES))) widths.push_back(reo.sizel.cx);
  }
  return widths;
}

// How the control answers an insertion while the view is read-only.
enum class ReadOnlyAnswer { kInserts, kRefusesWithError, kRefusesSilently };

// The view's IRichEditOle, answering InsertObject into a read-only view as told.
class AnsweringOle final : public IRichEditOle {
 public:
  AnsweringOle(ComPtr<IRichEditOle> real, HWND view, ReadOnlyAnswer answer)
      : real_(std::move(real)), view_(view), answer_(answer) {}
  HRESULT STDMETHODCALLTYPE InsertObject(REOBJECT* reo) override {
    const bool readOnly = (SendMessageW(view_, EM_GETOPTIONS, 0, 0) & ECO_READONLY) != 0;
    if (readOnly && answer_ == ReadOnlyAnswer::kRefusesWithError) return E_ACCESSDENIED;
    if (readOnly && answer_ == ReadOnlyAnswer::kRefusesSilently) return S_OK;
    return real_->InsertObject(reo);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return real_->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
    return real_->GetClientSite(site);
  }
  LONG STDMETHODCALLTYPE GetObjectCount() override { return real_->GetObjectCount(); }
  LONG STDMETHODCALLTYPE GetLinkCount() override { return real_->GetLinkCount(); }
  HRESULT STDMETHODCALLTYPE GetObject(LONG i, REOBJECT* reo, DWORD flags) override {
    return real_->GetObject(i, reo, flags);
  }
  HRESULT STDMETHODCALLTYPE ConvertObject(LONG, REFCLSID, LPCSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ActivateAs(REFCLSID, REFCLSID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCSTR, LPCSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetLinkAvailable(LONG, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetDvaspect(LONG, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE HandsOffStorage(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SaveCompleted(LONG, LPSTORAGE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ImportDataObject(LPDATAOBJECT, CLIPFORMAT, HGLOBAL) override {
    return E_NOTIMPL;
  }

 private:
  ~AnsweringOle() = default;
  ComPtr<IRichEditOle> real_;
  HWND view_;
  ReadOnlyAnswer answer_;
  ULONG references_ = 1;
};

LRESULT CALLBACK HandOutAnsweringOle(HWND view, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR answer) {
  if (message != EM_GETOLEINTERFACE) return DefSubclassProc(view, message, wParam, lParam);
  ComPtr<IRichEditOle> real;
  DefSubclassProc(view, message, wParam, reinterpret_cast<LPARAM>(real.Put()));
  *reinterpret_cast<IRichEditOle**>(lParam) =
      real ? new AnsweringOle(std::move(real), view, static_cast<ReadOnlyAnswer>(answer))
           : nullptr;
  return real ? TRUE : FALSE;
}

TEST_F(Contract, Win32EveryCardGoesIntoAReadOnlyViewWhateverTheControlAnswers) {
  std::vector<std::unique_ptr<Picture>> cards;
  for (int width : {30, 40, 50}) {
    files.WriteBytes(dir + "card.jpg", JpegClaiming(width, 20));
    cards.push_back(pictures.LoadPicture(dir + "card.jpg"));
  }
  const std::vector<LONG> inOrder = {MulDiv(30, 2540, 96), MulDiv(40, 2540, 96),
                                     MulDiv(50, 2540, 96)};
  for (const auto answer : {ReadOnlyAnswer::kInserts, ReadOnlyAnswer::kRefusesWithError,
                            ReadOnlyAnswer::kRefusesSilently}) {
    const int row = static_cast<int>(answer);
    ViewWindow window(screen, "Read-only answers");
    ASSERT_TRUE(window.hwnd);
    SetWindowSubclass(window.hwnd, HandOutAnsweringOle, 1, static_cast<DWORD_PTR>(answer));
    for (const auto& card : cards) window.view->AppendPicture(*card);
    EXPECT_EQ(ObjectWidths(window.hwnd), inOrder) << "each card once, in order; answer " << row;
    EXPECT_TRUE(SendMessageW(window.hwnd, EM_GETOPTIONS, 0, 0) & ECO_READONLY)
        << "the view stays read-only for the user; answer " << row;
    RemoveWindowSubclass(window.hwnd, HandOutAnsweringOle, 1);
  }
}

LONG FirstVisibleLine(HWND view) {
  return static_cast<LONG>(SendMessageW(view, EM_GETFIRSTVISIBLELINE, 0, 0));
}

CHARRANGE Selection(HWND view) {
  CHARRANGE range{};
  SendMessageW(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range;
}

// Cards of 400 pixels a row make a view of 80,000 pixels: far beyond what the 16-bit
// EM_GETSCROLLPOS tells. Where the user scrolled to, and what the user selected, stay.
TEST_F(Contract, Win32TheUsersPlaceHoldsWhileCardsAreAddedBeyond65535Pixels) {
  files.WriteBytes(dir + "card.jpg", JpegClaiming(600, 400));
  const auto card = pictures.LoadPicture(dir + "card.jpg");
  ViewWindow window(screen, "Tall view");
  ASSERT_TRUE(window.hwnd);
  for (int i = 0; i < 200; ++i) window.view->AppendPicture(*card);
  POINT deep{0, 70000};
  SendMessageW(window.hwnd, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&deep));
  const LONG line = FirstVisibleLine(window.hwnd);
  ASSERT_GT(line, 150) << "precondition: the user is deep in the view";
  for (const CHARRANGE users : {CHARRANGE{5, 5}, CHARRANGE{7, 8}}) {
    SendMessageW(window.hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&users));
    SendMessageW(window.hwnd, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&deep));
    for (int i = 0; i < 3; ++i) window.view->AppendPicture(*card);
    EXPECT_EQ(FirstVisibleLine(window.hwnd), line) << "selection " << users.cpMin;
    const CHARRANGE now = Selection(window.hwnd);
    EXPECT_EQ(now.cpMin, users.cpMin);
    EXPECT_EQ(now.cpMax, users.cpMax);
  }
  EXPECT_EQ(ObjectWidths(window.hwnd).size(), 206u);
}

// Another program (a thread of the test's own here) holds the clipboard and, while it
// does, asks for the picture this program promised: the program must answer while it
// waits, or both wait for the other.
class ClipboardHolder {
 public:
  explicit ClipboardHolder(UINT askFor) : askFor_(askFor) {
    thread_.Reset(CreateThread(nullptr, 0, Hold, this, 0, nullptr));
    WaitForSingleObject(holding_.Get(), 5000);
  }
  // Waits for the holder to end, answering what it sends meanwhile.
  ~ClipboardHolder() {
    HANDLE thread = thread_.Get();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 10000, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
  SIZE got{};  // the size of the picture it was given

 private:
  static DWORD WINAPI Hold(void* self) {
    auto& holder = *static_cast<ClipboardHolder*>(self);
    while (!OpenClipboard(nullptr)) Sleep(5);
    SetEvent(holder.holding_.Get());
    Sleep(100);  // the program is waiting by now
    if (HANDLE data = GetClipboardData(holder.askFor_)) {
      const win32::LockedGlobal dib(data);
      if (const auto* header = static_cast<const BITMAPINFOHEADER*>(dib.Bytes())) {
        holder.got = {header->biWidth, header->biHeight};
      }
    }
    CloseClipboard();
    return 0;
  }

  UINT askFor_;
  win32::KernelHandle holding_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  win32::KernelHandle thread_;
};

TEST_F(Contract, Win32WaitsForTheClipboardAnswerOtherProgramsRequests) {
  files.WriteBytes(dir + "card.jpg", TinyJpeg());
  const auto card = pictures.LoadPicture(dir + "card.jpg");
  pictures.PutOnClipboard(*card);
  SIZE given{};
  {
    ClipboardHolder other(CF_DIB);
    EXPECT_EQ(ErrorOf([&] { pictures.ClearClipboard(); }), 0) << "the clear waited for the holder";
    ClipboardHolder copying(0);
    ViewWindow window(screen, "Copies");
    window.view->AppendPicture(*card);
    SendMessageW(window.hwnd, EM_SETSEL, 0, 1);
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(window.hwnd, WM_KEYDOWN, 'C', 0);  // Ctrl+C, while another holds it
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    given = other.got;
  }
  EXPECT_EQ(given.cx, 16);
  EXPECT_EQ(given.cy, 8) << "the holder got the promised picture";
  EXPECT_EQ(target->ClipboardHolds(), (std::vector<std::string>{"picture"}))
      << "the user's copy waited for the clipboard too";
}

// Text copied from a view (the user guide's) reaches programs that take plain text too.
TEST_F(Contract, Win32ACopyOfTextGivesPlainTextBesideRichText) {
  files.WriteBytes(dir + "guide.rtf", "{\\rtf1\\ansi How to\\par {\\b use}}");
  ViewWindow window(screen, "Guide");
  window.view->LoadFile(dir + "guide.rtf");
  SendMessageW(window.hwnd, EM_SETSEL, 0, -1);
  SendMessageW(window.hwnd, WM_COPY, 0, 0);
  std::wstring text;
  if (OpenClipboard(nullptr)) {
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      const win32::LockedGlobal locked(data);
      if (locked.Bytes()) text = static_cast<const wchar_t*>(locked.Bytes());
    }
    CloseClipboard();
  }
  EXPECT_EQ(text, L"How to\r\nuse");
}

}  // namespace
}  // namespace td::contract
