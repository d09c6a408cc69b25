// The card view as the tools that read controls see it: the messages a text control
// answers, one character a card and a row of cards a line; and a card whose file changed
// since it went in, drawn as a plain box and left out of a copy. Built into the contract
// suite under Wine only.
#include <windows.h>
#include <richedit.h>

#include <string>

#include "ContractTest.h"
#include "Win32Helpers.h"
#include "platform/CardLayout.h"

namespace td::contract {
namespace {

constexpr COLORREF kRed = RGB(220, 20, 20);

class CardViewContract : public Contract {
 protected:
  // Five red cards of 150 x 200 pixels: two a row in the view's 400 pixels, three rows.
  CardViewContract() : window(screen, "Cards") {
    for (int i = 0; i < 5; ++i) {
      const std::string folder = dir + "a000" + std::to_string(i);
      files.MakeFolder(folder);
      files.WriteBytes(folder + "\\card.jpg", SolidJpeg(150, 200, kRed));
      window.view->AppendPicture(*pictures.LoadPicture(folder + "\\card.jpg"));
    }
  }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(window.hwnd, message, wParam, lParam);
  }
  std::string ClipboardRtf() {
    std::string rtf;
    if (!OpenClipboard(nullptr)) return rtf;
    if (HANDLE data = GetClipboardData(RegisterClipboardFormatW(L"Rich Text Format"))) {
      const win32::LockedGlobal bytes(data);
      if (bytes.Bytes()) rtf = static_cast<const char*>(bytes.Bytes());
    }
    CloseClipboard();
    return rtf;
  }

  CardWindow window;
};

TEST_F(CardViewContract, Win32ItAnswersAsATextControlOfOneCharacterACard) {
  const struct {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT answer;
    const char* what;
  } rows[] = {
      {WM_GETTEXTLENGTH, 0, 0, 5, "a character a card"},
      {EM_GETLINECOUNT, 0, 0, 3, "a line a row"},
      {EM_SETSEL, 1, 3, 0, "cards 1 and 2 selected"},
      {EM_GETSEL, 0, 0, MAKELRESULT(1, 3), "and told so"},
      {EM_SETSEL, 0, static_cast<LPARAM>(-1), 0, "all selected"},
      {EM_GETSEL, 0, 0, MAKELRESULT(0, 5), "to the end"},
      {EM_SETSEL, static_cast<WPARAM>(-1), 0, 0, "none selected"},
      {EM_GETSEL, 0, 0, MAKELRESULT(5, 5), "the caret where the selection ended"},
      {EM_LINEINDEX, 2, 0, 4, "the last row starts at the fifth card"},
      {EM_LINEFROMCHAR, 3, 0, 1, "the fourth card is in the second row"},
      {EM_POSFROMCHAR, 1, 0, MAKELRESULT(CardLayout::kMargin + 150, CardLayout::kMargin),
       "the second card beside the first"},
      {WM_VSCROLL, SB_BOTTOM, 0, 0, "to the end"},
      {EM_GETFIRSTVISIBLELINE, 0, 0, 1, "where the second row shows"},
      {WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"text"), FALSE, "no text goes in"},
      {WM_CHAR, 'x', 1, 0, "typing changes nothing"},
      {WM_PASTE, 0, 0, 0, "nor pasting"},
      {WM_CUT, 0, 0, 0, "nor cutting"},
      {WM_KEYDOWN, VK_DELETE, 1, 0, "nor deleting"},
      {WM_GETTEXTLENGTH, 0, 0, 5, "every card still there"},
      {EM_SETREADONLY, TRUE, 0, TRUE, "read-only, for those who ask"},
      {WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), TRUE, "an empty text empties it"},
      {WM_GETTEXTLENGTH, 0, 0, 0, "no card"},
      {EM_GETLINECOUNT, 0, 0, 1, "one empty line"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Send(row.message, row.wParam, row.lParam), row.answer) << row.what;
  }
  EXPECT_TRUE(GetWindowLongW(window.hwnd, GWL_STYLE) & ES_READONLY);
}

// A card whose file changed after it went in is no longer that card: it draws as a plain
// dark box, a copy of it alone copies nothing, and a copy of a range leaves it out.
TEST_F(CardViewContract, Win32ACardWhoseFileChangedDrawsAsABoxAndIsLeftOut) {
  files.WriteBytes(dir + "a0001\\card.jpg", SolidJpeg(151, 200, kRed));
  pictures.ClearClipboard();
  Send(EM_SETSEL, 1, 2);
  Send(WM_COPY);
  EXPECT_TRUE(target->ClipboardHolds().empty()) << "the changed card alone copies nothing";
  Send(EM_SETSEL, 0, 3);
  Send(WM_COPY);
  const std::string rtf = ClipboardRtf();
  size_t pictures = 0;
  for (size_t at = rtf.find("\\pict"); at != std::string::npos; at = rtf.find("\\pict", at + 1)) {
    ++pictures;
  }
  EXPECT_EQ(pictures, 2u) << "the range without it";

  Send(EM_SETSEL, static_cast<WPARAM>(-1), 0);
  RECT client{};
  GetClientRect(window.hwnd, &client);
  const win32::ScreenDc screenDc(GetDC(nullptr));
  HDC dc = CreateCompatibleDC(screenDc.Get());
  const win32::Bitmap canvas(CreateCompatibleBitmap(screenDc.Get(), client.right, client.bottom));
  const HGDIOBJ old = SelectObject(dc, canvas.Get());
  Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  EXPECT_TRUE(Near(GetPixel(dc, 75, 100), kRed)) << "the first card as it is";
  EXPECT_EQ(GetPixel(dc, 225, 100), RGB(48, 48, 48)) << "the changed one a dark box";
  SelectObject(dc, old);
  DeleteDC(dc);
}

}  // namespace
}  // namespace td::contract
