// The viewer's Windows code on the desktops users have: other programs at the clipboard
// while the program waits for it, and views taller than 65,535 pixels. Built into the
// contract suite under Wine only.
#include <windows.h>
#include <richedit.h>

#include <memory>
#include <string>
#include <vector>

#include "ContractTest.h"
#include "Win32Helpers.h"
#include "platform/win32/Win32Handles.h"

namespace td::contract {
namespace {

LONG FirstVisibleLine(HWND view) {
  return static_cast<LONG>(SendMessageW(view, EM_GETFIRSTVISIBLELINE, 0, 0));
}

CHARRANGE Selection(HWND view) {
  CHARRANGE range{};
  SendMessageW(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range;
}

// Cards of 400 pixels, one a row, make a view of 80,000 pixels: far beyond the 16 bits
// of a scroll message. Where the user scrolled to, and what the user selected, stay
// while cards are added beyond them.
TEST_F(Contract, Win32TheUsersPlaceHoldsWhileCardsAreAddedBeyond65535Pixels) {
  files.WriteBytes(dir + "card.jpg", JpegClaiming(600, 400));
  const auto card = pictures.LoadPicture(dir + "card.jpg");
  CardWindow window(screen, "Tall view");
  ASSERT_TRUE(window.hwnd);
  for (int i = 0; i < 200; ++i) window.view->AppendPicture(*card);
  SendMessageW(window.hwnd, WM_VSCROLL, SB_BOTTOM, 0);
  SCROLLINFO bar{sizeof bar, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(window.hwnd, SB_VERT, &bar);
  EXPECT_GT(bar.nPos, 70000) << "the scroll bar in 32 bits";
  const LONG line = FirstVisibleLine(window.hwnd);
  ASSERT_GT(line, 190) << "precondition: the user is deep in the view";
  for (const CHARRANGE users : {CHARRANGE{5, 5}, CHARRANGE{7, 8}}) {
    SendMessageW(window.hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&users));
    for (int i = 0; i < 3; ++i) window.view->AppendPicture(*card);
    EXPECT_EQ(FirstVisibleLine(window.hwnd), line) << "selection " << users.cpMin;
    const CHARRANGE now = Selection(window.hwnd);
    EXPECT_EQ(now.cpMin, users.cpMin);
    EXPECT_EQ(now.cpMax, users.cpMax);
  }
  EXPECT_EQ(SendMessageW(window.hwnd, WM_GETTEXTLENGTH, 0, 0), 206);
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
    CardWindow window(screen, "Copies");
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
  GuideWindow window(screen, "Guide");
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
