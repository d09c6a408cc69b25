// The clipboard command: the clipboard's formats, the size of its picture, and the
// sizes of the pictures in its rich text; and a clipboard listener, as a clipboard
// history runs one.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Commands.h"
#include "JsonLines.h"
#include "platform/win32/Win32Handles.h"

namespace wintool {

namespace {

using td::win32::LockedGlobal;

// The clipboard, open for as long as this lives. The data it hands out stays the
// clipboard's: read it, never free it.
class OpenClipboardScope {
 public:
  OpenClipboardScope() : open_(OpenClipboard(nullptr) != 0) {}
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

std::string FormatName(UINT format) {
  switch (format) {
    case CF_TEXT: return "CF_TEXT";
    case CF_BITMAP: return "CF_BITMAP";
    case CF_METAFILEPICT: return "CF_METAFILEPICT";
    case CF_DIB: return "CF_DIB";
    case CF_UNICODETEXT: return "CF_UNICODETEXT";
    case CF_ENHMETAFILE: return "CF_ENHMETAFILE";
    case CF_OEMTEXT: return "CF_OEMTEXT";
    case CF_LOCALE: return "CF_LOCALE";
    case CF_DIBV5: return "CF_DIBV5";
  }
  wchar_t name[256] = {};
  if (GetClipboardFormatNameW(format, name, 256) > 0) return Utf8(name);
  return std::to_string(format);
}

// The picture sizes that a rich text holds, in order: each \pict group's \picw and
// \pich (pixels), or its \picwgoal and \pichgoal (twips) where those are all it says.
std::string PictSizes(const std::string& rtf) {
  std::string out = "[";
  size_t at = 0;
  auto number = [&rtf](size_t from, size_t to, const char* word) -> long {
    const size_t found = rtf.find(word, from);
    if (found == std::string::npos || found > to) return -1;
    return std::strtol(rtf.c_str() + found + std::strlen(word), nullptr, 10);
  };
  bool first = true;
  while ((at = rtf.find("\\pict", at)) != std::string::npos) {
    const size_t hexEnd = rtf.find('}', at);
    if (hexEnd == std::string::npos) break;
    // The group's control words end where its picture data begins.
    size_t end = rtf.find_first_of(" \r\n", at);
    if (end == std::string::npos || end > hexEnd) end = hexEnd;
    if (!first) out += ",";
    first = false;
    out += "{\"w\":" + std::to_string(number(at, end, "\\picw")) +
           ",\"h\":" + std::to_string(number(at, end, "\\pich")) +
           ",\"wgoal\":" + std::to_string(number(at, end, "\\picwgoal")) +
           ",\"hgoal\":" + std::to_string(number(at, end, "\\pichgoal")) +
           ",\"hexbytes\":" + std::to_string((hexEnd - end) / 2) + "}";
    at = hexEnd;
  }
  return out + "]";
}

std::string FormatsJson() {
  std::string formats = "[";
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
    if (formats.size() > 1) formats += ",";
    const std::string name = FormatName(f);  // ASCII
    formats += Json(std::wstring(name.begin(), name.end()));
  }
  return formats + "]";
}

// [width,height] of the clipboard's device-independent bitmap, or null.
std::string DibSizeJson() {
  HANDLE data = GetClipboardData(CF_DIB);
  if (!data) return "null";
  const LockedGlobal locked(data);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(locked.Bytes());
  if (!header) return "null";
  return "[" + std::to_string(header->biWidth) + "," + std::to_string(header->biHeight) + "]";
}

std::string RichTextPictsJson() {
  const UINT rtfFormat = RegisterClipboardFormatW(L"Rich Text Format");
  HANDLE data = rtfFormat ? GetClipboardData(rtfFormat) : nullptr;
  if (!data) return "[]";
  const LockedGlobal locked(data);
  const auto* text = static_cast<const char*>(locked.Bytes());
  if (!text) return "[]";
  return PictSizes(std::string(text, strnlen(text, GlobalSize(data))));
}

}  // namespace

int Clipboard() {
  std::string formats, dib, picts;
  {
    const OpenClipboardScope clipboard;
    if (!clipboard.IsOpen()) return 1;
    formats = FormatsJson();
    dib = DibSizeJson();
    picts = RichTextPictsJson();
  }
  Emit("{\"formats\":" + formats + ",\"dib\":" + dib + ",\"picts\":" + picts + "}");
  return 0;
}

}  // namespace wintool

namespace wintool {

namespace {

// What a clipboard history does on every change: opens the clipboard (another program
// may hold it a moment) and asks for every format on it, which makes the program that
// promised a format render it.
void ReadEverything(HWND self, int change) {
  bool open = false;
  for (int attempt = 0; attempt < 100 && !open; ++attempt) {
    open = OpenClipboard(self) != 0;
    if (!open) Sleep(10);
  }
  std::string formats = "[", missing = "[";
  if (open) {
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
      std::string& list = GetClipboardData(f) ? formats : missing;
      const std::string name = FormatName(f);
      list += (list.size() > 1 ? "," : "") + Json(std::wstring(name.begin(), name.end()));
    }
    CloseClipboard();
  }
  Emit("{\"change\":" + std::to_string(change) + ",\"opened\":" + Bool(open) +
       ",\"formats\":" + formats + "],\"missing\":" + missing + "]}");
}

LRESULT CALLBACK ListenerProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
  static int changes = 0;
  if (message == WM_CLIPBOARDUPDATE) ReadEverything(h, ++changes);
  return DefWindowProcW(h, message, wParam, lParam);
}

bool TitleShows(const std::wstring& title) { return FindWindowW(nullptr, title.c_str()); }

}  // namespace

int Listen(const std::wstring& until, double timeout) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ListenerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"WintoolClipboardListener";
  RegisterClassW(&wc);
  const td::win32::OwnWindow self(CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0,
                                                  HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
  if (!self || !AddClipboardFormatListener(self.Get())) return 1;
  Emit("{\"listening\":true}");
  const ULONGLONG start = GetTickCount64();
  ULONGLONG end = start + static_cast<ULONGLONG>(timeout * 1000);
  bool seen = false;
  while (GetTickCount64() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (!seen && TitleShows(until)) {
      seen = true;
      end = std::min(end, GetTickCount64() + 1500);  // what the program does on the way
    }
  }
  RemoveClipboardFormatListener(self.Get());
  return seen ? 0 : 1;
}

}  // namespace wintool
