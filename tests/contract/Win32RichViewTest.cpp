// The view's IRichEditOleCallback as Windows' rich-text control calls it (Wine's calls few
// of its methods), each argument with the meaning Microsoft documents, and a right-click.
// Built into the contract suite under Wine only.
#include <windows.h>
#include <richedit.h>
#include <richole.h>

#include "ContractTest.h"
#include "Win32Helpers.h"
#include "platform/win32/Win32RichText.h"

namespace td::contract {
namespace {

class ViewCallback : public Contract {
 protected:
  ViewCallback()
      : viewWindow(screen, "Callback"),
        view(viewWindow.view),
        handle(viewWindow.hwnd),
        callback(win32::MakeViewCallback(handle)) {}

  ViewWindow viewWindow;
  std::unique_ptr<RichTextView>& view;
  HWND handle;
  win32::ComPtr<IRichEditOleCallback> callback;
};

TEST_F(ViewCallback, Win32APasteOrDropIsRefusedWhileTheViewIsReadOnly) {
  // A failure refuses the data and ends the paste or drop; S_OK leaves the choice of a
  // format to the control. fReally is 0 for a mere question (EM_CANPASTE).
  struct Row {
    bool readOnly;
    DWORD reco;
    BOOL really;
    bool accepted;
  };
  const Row rows[] = {
      {true, RECO_PASTE, TRUE, false}, {true, RECO_PASTE, FALSE, false},
      {true, RECO_DROP, TRUE, false},  {true, RECO_DROP, FALSE, false},
      {false, RECO_PASTE, TRUE, true}, {false, RECO_DROP, FALSE, true},
  };
  for (const Row& row : rows) {
    view->SetReadOnly(row.readOnly);
    CLIPFORMAT format = 0;
    const HRESULT hr = callback->QueryAcceptData(nullptr, &format, row.reco, row.really, nullptr);
    EXPECT_EQ(hr == S_OK, row.accepted) << row.readOnly << " " << row.reco << " " << row.really;
    EXPECT_TRUE(hr == S_OK || FAILED(hr)) << "no other success: the control checks read-only";
    EXPECT_EQ(format, 0) << "the control picks the format";
  }
  view->SetReadOnly(true);
  EXPECT_EQ(SendMessageW(handle, EM_CANPASTE, 0, 0), 0) << "the control asks and is refused";
}

TEST_F(ViewCallback, Win32ADragOverTheReadOnlyViewShowsThatNothingDrops) {
  // fDrag: TRUE while a drag passes over the view (DragEnter, DragOver), FALSE at the
  // drop. The effect comes in as what the control allows and goes out as what it uses.
  struct Row {
    bool readOnly;
    BOOL drag;
    DWORD offered;
    DWORD used;
  };
  const DWORD both = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  const Row rows[] = {
      {true, TRUE, both, DROPEFFECT_NONE},
      {true, FALSE, DROPEFFECT_COPY, DROPEFFECT_NONE},
      {false, TRUE, both, both},
      {false, FALSE, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
  };
  for (const Row& row : rows) {
    view->SetReadOnly(row.readOnly);
    DWORD effect = row.offered;
    EXPECT_EQ(callback->GetDragDropEffect(row.drag, MK_LBUTTON, &effect), S_OK);
    EXPECT_EQ(effect, row.used) << row.readOnly << " " << row.drag;
  }
  EXPECT_EQ(callback->GetDragDropEffect(TRUE, 0, nullptr), E_INVALIDARG);
}

TEST_F(ViewCallback, Win32TheViewTakesObjectsAsPicturesAndOffersNothingElse) {
  win32::ComPtr<IStorage> storage;
  ASSERT_EQ(callback->GetNewStorage(storage.Put()), S_OK) << "storage for an object read in";
  win32::ComPtr<IStream> stream;
  EXPECT_EQ(storage->CreateStream(L"x", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                  0, stream.Put()),
            S_OK);
  EXPECT_EQ(callback->GetNewStorage(nullptr), E_INVALIDARG);
  CLSID any{};
  EXPECT_EQ(callback->QueryInsertObject(&any, storage.Get(), REO_CP_SELECTION), S_OK)
      << "what the control inserts is the program's: QueryAcceptData keeps out the user's";
  EXPECT_EQ(callback->DeleteObject(nullptr), S_OK);
  EXPECT_TRUE(FAILED(callback->GetInPlaceContext(nullptr, nullptr, nullptr)))
      << "a card is never activated in place";
  EXPECT_TRUE(FAILED(callback->ShowContainerUI(TRUE)));
  EXPECT_TRUE(FAILED(callback->ContextSensitiveHelp(TRUE)));
  HMENU menu = nullptr;
  CHARRANGE range{0, 1};
  EXPECT_TRUE(FAILED(callback->GetContextMenu(SEL_OBJECT, nullptr, &range, &menu)));
  EXPECT_EQ(menu, nullptr) << "a right-click shows no menu";
  IDataObject* data = nullptr;
  EXPECT_EQ(callback->GetClipboardData(nullptr, RECO_COPY, &data), E_NOTIMPL)
      << "without a range the control makes its own";
  EXPECT_EQ(callback->GetClipboardData(&range, RECO_COPY, nullptr), E_INVALIDARG);
  IUnknown* same = nullptr;
  EXPECT_EQ(callback->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&same)), S_OK);
  if (same) same->Release();

  // The user right-clicks a card: nothing opens, nothing changes.
  files.WriteBytes(dir + "card.jpg", SolidJpeg(40, 30, RGB(30, 30, 200)));
  view->AppendPicture(*pictures.LoadPicture(dir + "card.jpg"));
  SendMessageW(handle, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  SendMessageW(handle, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
  POINT screen{10, 10};
  ClientToScreen(handle, &screen);
  SendMessageW(handle, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(handle),
               MAKELPARAM(screen.x, screen.y));
  GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
  EXPECT_EQ(SendMessageW(handle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0), 1);
  EXPECT_EQ(FindWindowW(L"#32768", nullptr), nullptr) << "no menu is up";
}

// The rich text on the clipboard, or nothing.
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

// A user copies from the help guide, or a range of cards and text: rich text of the
// letters, with each picture as a JPEG, a picture of another format encoded as one.
TEST_F(ViewCallback, Win32ACopyOfLettersAndPicturesIsRichText) {
  files.WriteBytes(dir + "guide.rtf",
                   "{\\rtf1\\ansi Begin {\\b here}: a \\{brace\\} and a back\\\\slash\\par "
                   "caf\\'e9}");
  view->LoadFile(dir + "guide.rtf");
  BITMAPINFOHEADER header{sizeof header, 4, 3, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof file + sizeof header};
  files.WriteBytes(dir + "card.jpg", std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                                         std::string(reinterpret_cast<const char*>(&header),
                                                     sizeof header) +
                                         std::string(36, '\x40'));
  view->AppendPicture(*pictures.LoadPicture(dir + "card.jpg"));  // a BMP under a card's name
  view->SetReadOnly(true);
  CHARRANGE all{0, -1};
  SendMessageW(handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
  SendMessageW(handle, WM_COPY, 0, 0);
  const std::string rtf = ClipboardRtf();
  for (const char* part : {"Begin here: a \\{brace\\} and a back\\\\slash\\par", "caf\\u233?",
                           "{\\pict\\jpegblip\\picw4\\pich3"}) {
    EXPECT_NE(rtf.find(part), std::string::npos) << part << " in " << rtf.substr(0, 300);
  }
}

}  // namespace
}  // namespace td::contract
