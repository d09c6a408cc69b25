// What a drag of a card out of the program needs beside the mouse, which the tests move
// at the X level: where a card stands on the screen, and a window of another program
// that takes drops and reports what arrives, as such a program would receive it.
#include <ole2.h>
#include <richedit.h>

#include <string>

#include "Commands.h"
#include "JsonLines.h"
#include "platform/win32/Win32Handles.h"

namespace wintool {

namespace {

std::string Point(LONG x, LONG y) { return "[" + std::to_string(x) + "," + std::to_string(y) + "]"; }

// The size of the packed DIB a drop brings, or null when it brings none.
std::string DibSize(IDataObject& data) {
  FORMATETC format{CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data.GetData(&format, &medium))) return "null";
  std::string size = "null";
  {
    const td::win32::LockedGlobal bytes(medium.hGlobal);
    if (const auto* header = static_cast<const BITMAPINFOHEADER*>(bytes.Bytes())) {
      size = Point(header->biWidth, header->biHeight < 0 ? -header->biHeight : header->biHeight);
    }
  }
  ReleaseStgMedium(&medium);
  return size;
}

// Takes copies, as a picture editor or a document does.
class Target : public IDropTarget {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    Emit("{\"event\":\"enter\",\"offered\":" + std::to_string(*effect) + "}");
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL at, DWORD* effect) override {
    *effect &= DROPEFFECT_COPY;
    Emit("{\"event\":\"drop\",\"dib\":" + DibSize(*data) + ",\"at\":" + Point(at.x, at.y) +
         ",\"effect\":" + std::to_string(*effect) + "}");
    dropped = true;
    return S_OK;
  }
  bool dropped = false;
};

}  // namespace

int CardPoint(HWND top, const std::wstring& cls, long cp) {
  HWND view = FirstChildOfClass(top, cls);
  if (!view) return 1;
  const LRESULT at = SendMessageW(view, EM_POSFROMCHAR, static_cast<WPARAM>(cp), 0);
  POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ClientToScreen(view, &point);
  Emit("{\"screen\":" + Point(point.x, point.y) + "}");
  return 0;
}

int DropTarget(const std::wstring& title, int x, int y, double timeout) {
  const td::win32::OleSession ole;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"WintoolDropTarget";
  RegisterClassW(&wc);
  const td::win32::OwnWindow window(CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName,
                                                    title.c_str(), WS_POPUP | WS_VISIBLE | WS_BORDER,
                                                    x, y, 300, 300, nullptr, nullptr,
                                                    wc.hInstance, nullptr));
  Target target;
  if (!window || FAILED(RegisterDragDrop(window.Get(), &target))) return 1;
  RECT r{};
  GetWindowRect(window.Get(), &r);
  Emit("{\"event\":\"ready\",\"rect\":" + Rect(r) + "}");
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeout * 1000);
  while (!target.dropped && GetTickCount64() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  RevokeDragDrop(window.Get());
  return target.dropped ? 0 : 1;
}

}  // namespace wintool
