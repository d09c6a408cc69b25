// Windows' own paths through the window machinery, taken by a message or a function sent
// or replaced by hand: a move to a monitor of another resolution (Wine has one), a window
// that opens on one, the systems before Windows 10 1607, a refused job, and the mouse.
// Built into the contract suite under Wine only.
#include <windows.h>
#include <richedit.h>

#include <cmath>

#include "ContractTest.h"
#include "Win32Helpers.h"
#include "platform/Twips.h"
#include "platform/win32/Win32Functions.h"
#include "platform/win32/Win32Libraries.h"

namespace td::contract {
namespace {

WindowSpec Spec(const char* caption) {
  WindowSpec spec;
  spec.caption = caption;
  spec.clientWidth = 6000;
  spec.clientHeight = 4500;
  return spec;
}

// Plays an older or another system through the functions it has, for one test.
class PlayedSystem {
 public:
  PlayedSystem() : saved_(win32::Functions()) {}
  ~PlayedSystem() { win32::Functions() = saved_; }
  PlayedSystem(const PlayedSystem&) = delete;
  PlayedSystem& operator=(const PlayedSystem&) = delete;

 private:
  win32::SystemFunctions saved_;
};

UINT WINAPI MonitorAt144(HWND) { return 144; }
BOOL WINAPI RefuseJob(HANDLE, HANDLE) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

RECT PlaceInParent(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectAt(HWND child, const Bounds& b, int dpi, const char* what) {
  const RECT r = PlaceInParent(child);
  EXPECT_EQ(r.left, TwipsToPixels(b.left, dpi)) << what;
  EXPECT_EQ(r.top, TwipsToPixels(b.top, dpi)) << what;
  EXPECT_EQ(r.right - r.left, TwipsToPixels(b.width, dpi)) << what;
  EXPECT_EQ(r.bottom - r.top, TwipsToPixels(b.height, dpi)) << what;
}

HFONT FontOf(HWND child) { return reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)); }

LONG FontHeight(HWND child) {
  LOGFONTW font{};
  GetObjectW(FontOf(child), sizeof font, &font);
  return font.lfHeight;
}

// The user presses the left button at a point of the view and lets it go at once: a
// card there is selected, and no drag starts.
CHARRANGE ClickAt(HWND view, int x, int y) {
  PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  MSG msg;
  while (PeekMessageW(&msg, view, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) DispatchMessageW(&msg);
  CHARRANGE selection{};
  SendMessageW(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  return selection;
}

TEST_F(Contract, Win32AWindowMovedToAMonitorOfAnotherResolutionFollowsIt) {
  NoEvents events;
  auto window = screen.OpenWindow(Spec("Resolution"), events);
  ControlSpec labelSpec;
  labelSpec.bounds = {120, 90, 2400, 300};
  labelSpec.font = FontSpec{"Arial", 12, 400, {}};
  ControlSpec buttonSpec;
  buttonSpec.bounds = {120, 600, 1200, 400};
  buttonSpec.caption = "Quit";
  ControlSpec viewSpec;
  viewSpec.bounds = {120, 1200, 5400, 3000};
  auto label = window->AddLabel(labelSpec);
  int clicks = 0;
  auto button = window->AddButton(buttonSpec, [&] { ++clicks; });
  auto view = window->AddCardView(viewSpec);
  files.WriteBytes(dir + "card.jpg", SolidJpeg(40, 30, RGB(200, 30, 30)));
  const auto card = pictures.LoadPicture(dir + "card.jpg");
  view->AppendPicture(*card);
  view->AppendPicture(*card);
  EXPECT_EQ(window->State(), WindowState::kNormal) << "hidden: the state it will show in";
  window->Show();
  const HWND top = TopWindow(L"Resolution");
  ASSERT_TRUE(top);
  const HWND labelWindow = Child(top, L"STATIC"), buttonWindow = Child(top, L"BUTTON");
  const HWND viewWindow = Child(top, L"TumbledeckCardView");
  const HFONT labelFont = FontOf(labelWindow), buttonFont = FontOf(buttonWindow);
  const LONG dialogHeight = FontHeight(buttonWindow);

  const RECT suggested{100, 80, 100 + 920, 80 + 700};
  SendMessageW(top, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT now{};
  GetWindowRect(top, &now);
  EXPECT_TRUE(EqualRect(&now, &suggested)) << "the window takes the place Windows suggests";
  ExpectAt(labelWindow, labelSpec.bounds, 144, "the label at its twips at 144 DPI");
  ExpectAt(buttonWindow, buttonSpec.bounds, 144, "the button");
  ExpectAt(viewWindow, viewSpec.bounds, 144, "the view");
  EXPECT_NEAR(button->GetBounds().left, buttonSpec.bounds.left, 10) << "still twips for the program";
  EXPECT_NEAR(button->GetBounds().width, buttonSpec.bounds.width, 10);
  EXPECT_NE(FontOf(labelWindow), labelFont) << "fonts are made anew";
  EXPECT_NE(FontOf(buttonWindow), buttonFont);
  EXPECT_EQ(FontHeight(labelWindow), -std::lround(12 * 144 / 72.0)) << "12 points at 144 DPI";
  EXPECT_EQ(FontHeight(buttonWindow), MulDiv(dialogHeight, 144, kStandardDpi));

  // A card is found under the mouse at the resolution the view lays it out at: 40 pixels
  // at 100 % are 60 at 144 DPI.
  const auto x = [viewWindow](int cp) {
    return static_cast<short>(LOWORD(SendMessageW(viewWindow, EM_POSFROMCHAR, cp, 0)));
  };
  const int laidOut = x(1) - x(0);
  EXPECT_EQ(laidOut, 60);
  const int y = static_cast<short>(HIWORD(SendMessageW(viewWindow, EM_POSFROMCHAR, 0, 0))) + 5;
  EXPECT_EQ(ClickAt(viewWindow, x(0) + laidOut - 3, y).cpMin, 0) << "on the first card";
  const CHARRANGE past = ClickAt(viewWindow, x(0) + laidOut + 3, y);
  EXPECT_EQ(past.cpMin, 1) << "just past it, on the second";
  EXPECT_EQ(past.cpMax, 2);

  SendMessageW(buttonWindow, BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1) << "a click on the button runs its handler";
  SendMessageW(top, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(buttonWindow), 0), 0);
  EXPECT_EQ(clicks, 1) << "a menu's or key's command of the same number runs none";
  const HDC dc = GetDC(buttonWindow);
  EXPECT_EQ(SendMessageW(top, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(buttonWindow)),
            DefWindowProcW(top, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(buttonWindow)))
      << "a control that is no label keeps the system's colours";
  ReleaseDC(buttonWindow, dc);

  const Bounds normal = window->GetBounds();
  ShowWindow(top, SW_MINIMIZE);  // as the user does
  EXPECT_EQ(window->State(), WindowState::kMinimized);
  const Bounds minimized = window->GetBounds();
  EXPECT_NEAR(minimized.left, normal.left, 10) << "where it will be restored to";
  EXPECT_NEAR(minimized.width, normal.width, 10);
}

TEST_F(Contract, Win32OlderSystemsAndOtherMonitorsGiveWindowsTheirSizeInTwips) {
  NoEvents events;
  auto modern = screen.OpenWindow(Spec("Modern"), events);
  const Bounds expected = modern->GetBounds();
  const double screenWidth = screen.ScreenWidth();
  {
    // Before Windows 10 1607: one resolution, the screen's, and the frame without it.
    const PlayedSystem older;
    win32::Functions().getDpiForSystem = nullptr;
    win32::Functions().getDpiForWindow = nullptr;
    win32::Functions().adjustWindowRectExForDpi = nullptr;
    win32::Functions().getDpiForMonitor = nullptr;
    auto window = screen.OpenWindow(Spec("Older"), events);
    const Bounds got = window->GetBounds();
    EXPECT_EQ(got.width, expected.width);
    EXPECT_EQ(got.height, expected.height);
    EXPECT_EQ(screen.ScreenWidth(), screenWidth);
  }
  {
    // Opened on a monitor at 150 % while the primary one is at 100 %.
    const PlayedSystem other;
    win32::Functions().getDpiForWindow = MonitorAt144;
    auto window = screen.OpenWindow(Spec("Other monitor"), events);
    const HWND h = TopWindow(L"Other monitor");
    // Its client area at that resolution, in whatever frame the system draws there.
    RECT client{}, outer{};
    GetClientRect(h, &client);
    GetWindowRect(h, &outer);
    EXPECT_EQ(client.right, TwipsToPixels(6000, 144));
    EXPECT_EQ(client.bottom, TwipsToPixels(4500, 144));
    EXPECT_EQ(window->GetBounds().width, PixelsToTwips(outer.right - outer.left, 144));
  }
}

// Before Windows 8 a process in a job (one that Task Scheduler started) cannot put
// another into a job of its own: the script runs without one, and still ends when ended.
TEST_F(Contract, Win32AScriptThatGotNoJobStillEndsWhenEnded) {
  const PlayedSystem windows7;
  win32::Functions().assignProcessToJobObject = RefuseJob;
  files.WriteBytes(dir + "Endless.bat", "@echo off\r\n:again\r\ngoto again\r\n");
  const auto endless = system.StartProcess("\"" + dir + "Endless.bat\" \"" + dir + "\"");
  EXPECT_FALSE(endless->HasEnded());
  endless->End();
  const double ending = system.Seconds();
  while (!endless->HasEnded() && system.Seconds() - ending < 20) screen.DoEvents();
  EXPECT_TRUE(endless->HasEnded());
}

// The copy command's quoted paths reach the system's xcopy as one path each, blanks,
// "&" and "%" included (Wine 10's xcopy splits them at their blanks: there it is handed
// their short forms).
TEST_F(Contract, Win32TheCopyCommandCopiesFoldersWhosePathsHoldBlanks) {
  const std::string sets = dir + "My  Card Sets & 100%\\";
  const std::string host = dir + "Pixadore Host\\";
  for (const std::string& folder : {sets, sets + "Gold Set", sets + "Gold Set\\data",
                                    sets + "Gold Set\\data\\a0001", host, host + "Data"}) {
    files.MakeFolder(folder);
  }
  files.WriteBytes(sets + "Gold Set\\data\\a0001\\a0001c.jpg", "card");
  const auto copy =
      system.StartProcess("Xcopy /s /y \"" + sets + "Gold Set\\data\" \"" + host + "Data\\\"");
  const double start = system.Seconds();
  while (!copy->HasEnded() && system.Seconds() - start < 20) screen.DoEvents();
  EXPECT_TRUE(files.IsPlainFile(host + "Data\\a0001\\a0001c.jpg"));
}

// The program's own libraries come from the system folder, whether the system restricts
// the whole process's search (Windows 8 and later) or lacks the call (Windows 7 without
// its update).
TEST_F(Contract, Win32LibrariesComeFromTheSystemFolderOnEverySystem) {
  const auto loadedFrom = [](HMODULE library) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(library, path, MAX_PATH);
    return std::wstring(path);
  };
  const std::wstring system32 = win32::SystemFolder();
  for (const bool older : {true, false}) {
    win32::SearchLibrariesInSystemFolderOnly(older ? nullptr
                                                   : win32::SystemSetDefaultDllDirectories());
    const HMODULE library = win32::LoadSystemLibrary(L"riched20.dll");
    ASSERT_NE(library, nullptr) << "older: " << older;
    EXPECT_EQ(_wcsnicmp(loadedFrom(library).c_str(), system32.c_str(), system32.size()), 0)
        << "older: " << older;
    EXPECT_EQ(win32::LoadSystemLibrary(L"no-such-library.dll"), nullptr);
  }
}

}  // namespace
}  // namespace td::contract
