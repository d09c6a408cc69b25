// RichTextView on the system's RichEdit control: the user guide, an RTF document shown
// read-only, and the user's copy of its text.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Libraries.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

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

// The selection onto the clipboard, as the control offers it (rich text and plain
// text). The program puts it there itself, rather than the control: it waits for a
// clipboard that another program holds for a moment, where the control would give up at
// once.
void CopySelection(HWND view) {
  ComPtr<IRichEditOle> ole;
  SendMessageW(view, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.Put()));
  CHARRANGE selection{};
  SendMessageW(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  ComPtr<IDataObject> data;
  if (!ole || selection.cpMin == selection.cpMax ||
      FAILED(ole->GetClipboardData(&selection, RECO_COPY, data.Put())) || !data) {
    return;
  }
  PutDataOnClipboard(*data.Get());  // a clipboard kept busy costs the copy, nothing else
}

LRESULT CALLBACK CopyKeysProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT_PTR id, DWORD_PTR) {
  if (message == WM_COPY || (message == WM_KEYDOWN && IsCopyKey(wParam))) {
    CopySelection(view);
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(view, CopyKeysProc, id);
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
};

}  // namespace

bool IsCopyKey(WPARAM key) {
  const auto down = [](int k) { return GetKeyState(k) < 0; };
  return (key == 'C' || key == VK_INSERT) && down(VK_CONTROL) && !down(VK_SHIFT) &&
         !down(VK_MENU);
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
  // The user changes nothing in the guide, so there is nothing to undo.
  SendMessageW(h, EM_SETUNDOLIMIT, 0, 0);
  SendMessageW(h, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ToColorRef(spec.backColor)));
  SetWindowSubclass(h, CopyKeysProc, 1, 0);
  return std::make_unique<Win32RichTextView>(core, h, spec.bounds);
}

}  // namespace td::win32
