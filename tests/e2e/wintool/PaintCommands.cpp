// Commands that watch what a view shows on the screen, for the viewer benchmark:
// firstpaint (when the first picture is drawn) and jumpend (how long a jump to the end
// takes to be painted). They read the screen itself, where the user sees the view.
#include <windows.h>

#include <array>
#include <string>

#include "Commands.h"
#include "JsonLines.h"
#include "platform/win32/Win32Handles.h"

namespace wintool {

namespace {

// Points spread over a child's client area, in screen coordinates.
std::array<POINT, 16> Samples(HWND child) {
  RECT client{};
  GetClientRect(child, &client);
  std::array<POINT, 16> points{};
  for (int i = 0; i < 16; ++i) {
    points[i] = {client.right * (1 + i % 4 * 2) / 8, client.bottom * (1 + i / 4 * 2) / 8};
    ClientToScreen(child, &points[i]);
  }
  return points;
}

std::array<COLORREF, 16> Colours(HDC screen, const std::array<POINT, 16>& points) {
  std::array<COLORREF, 16> colours{};
  for (size_t i = 0; i < points.size(); ++i) colours[i] = GetPixel(screen, points[i].x, points[i].y);
  return colours;
}

}  // namespace

int FirstPaint(const Selector& sel, const std::wstring& cls, double timeout) {
  const ULONGLONG start = GetTickCount64();
  HWND top = WaitFor(sel, timeout);
  HWND view = top ? FirstChildOfClass(top, cls) : nullptr;
  if (!view) return 1;
  const ULONGLONG shown = GetTickCount64();
  POINT corner{20, 20};  // inside the first picture, whatever the cards' size
  ClientToScreen(view, &corner);
  const td::win32::ScreenDc screen(GetDC(nullptr));
  while (GetTickCount64() - start < static_cast<ULONGLONG>(timeout * 1000)) {
    const COLORREF colour = GetPixel(screen.Get(), corner.x, corner.y);
    if (colour != CLR_INVALID && GetRValue(colour) + GetGValue(colour) + GetBValue(colour) > 30) {
      Emit("{\"shown_ms\":" + std::to_string(shown - start) + ",\"painted_ms\":" +
           std::to_string(GetTickCount64() - start) + "}");
      return 0;
    }
    Sleep(2);
  }
  return 1;
}

int JumpEnd(HWND top, const std::wstring& cls) {
  HWND view = FirstChildOfClass(top, cls);
  if (!view) return 1;
  const auto points = Samples(view);
  const td::win32::ScreenDc screen(GetDC(nullptr));
  auto last = Colours(screen.Get(), points);
  const ULONGLONG start = GetTickCount64();
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(view, WM_VSCROLL, SB_BOTTOM, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
  const ULONGLONG scrolled = GetTickCount64();
  ULONGLONG changed = 0;
  // Until nothing has changed for half a second: the last change is the paint's end.
  for (ULONGLONG now = scrolled; now - (changed ? changed : scrolled) < 500 && now - start < 10000;
       now = GetTickCount64()) {
    const auto colours = Colours(screen.Get(), points);
    if (colours != last) {
      changed = GetTickCount64();
      last = colours;
    }
    Sleep(1);
  }
  Emit("{\"scrolled_ms\":" + std::to_string(scrolled - start) + ",\"painted_ms\":" +
       (changed ? std::to_string(changed - start) : std::string("null")) + "}");
  return changed ? 0 : 1;
}

}  // namespace wintool
