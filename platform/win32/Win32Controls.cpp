// Child controls of a top-level window: push buttons and text labels.
#include <cmath>
#include <utility>

#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

class Win32Button : public ChildControl<Button> {
 public:
  Win32Button(const std::shared_ptr<WindowCore>& core, HWND hwnd, const Bounds& bounds, int id)
      : ChildControl(core, hwnd, bounds), id_(id) {}
  ~Win32Button() override {
    if (auto core = Core()) core->clickHandlers.erase(id_);
  }
  Win32Button(const Win32Button&) = delete;
  Win32Button& operator=(const Win32Button&) = delete;

  Bounds GetBounds() const override {
    HWND h = Live();
    if (!h) return bounds_;
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return ToTwips(r, Core()->dpi);
  }
  void SetVisible(bool visible) override {
    if (HWND h = Live()) ShowWindow(h, visible ? SW_SHOWNA : SW_HIDE);
  }

 private:
  int id_;
};

class Win32Label : public Label, private ChildWindow {
 public:
  Win32Label(const std::shared_ptr<WindowCore>& core, HWND hwnd)
      : ChildWindow(core, hwnd), key_(hwnd) {}
  ~Win32Label() override {
    DestroyChild();  // before its brush goes
    if (auto core = Core()) core->labels.erase(key_);
  }
  Win32Label(const Win32Label&) = delete;
  Win32Label& operator=(const Win32Label&) = delete;

  void SetCaption(const std::string& caption) override {
    if (HWND h = Live()) SetWindowTextW(h, Widen(caption).c_str());
  }
  void SetForeColor(Colour colour) override {
    HWND h = Live();
    if (!h) return;
    const auto found = Core()->labels.find(key_);
    if (found == Core()->labels.end()) return;
    found->second.fore = ToColorRef(colour);
    InvalidateRect(h, nullptr, TRUE);
  }

 private:
  HWND key_;
};

bool IsInstalled(const std::wstring& face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  face.copy(wanted.lfFaceName, face.size());
  const ScreenDc screen(GetDC(nullptr));
  bool found = false;
  EnumFontFamiliesExW(
      screen.Get(), &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM result) -> int {
        *reinterpret_cast<bool*>(result) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// The first of the font's faces that the system has; the font mapper's pick for the
// named face when it has none of them.
std::wstring InstalledFace(const FontSpec& font) {
  if (IsInstalled(Widen(font.face))) return Widen(font.face);
  for (const std::string& standIn : font.standIns) {
    if (IsInstalled(Widen(standIn))) return Widen(standIn);
  }
  return Widen(font.face);
}

// The system's font for dialogs at the window's resolution; the stock one is made for
// 96 DPI and would come out small and blurred at 150 %.
LOGFONTW DialogFont(int dpi) {
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfHeight = MulDiv(font.lfHeight, dpi, kStandardDpi);
  font.lfWidth = 0;
  return font;
}

// A child's font at its size in points at the window's resolution, kept with the window.
HFONT MakeFont(WindowCore& core, const std::optional<FontSpec>& spec) {
  LOGFONTW wanted = DialogFont(core.dpi);
  if (spec) {
    wanted.lfHeight = -static_cast<int>(std::lround(spec->points * core.dpi / 72.0));
    wanted.lfWeight = spec->weight;
    wanted.lfCharSet = DEFAULT_CHARSET;
    wanted.lfQuality = DEFAULT_QUALITY;
    wanted.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::wstring face = InstalledFace(*spec);
    wanted.lfFaceName[face.copy(wanted.lfFaceName, LF_FACESIZE - 1)] = L'\0';
  }
  Font made(CreateFontIndirectW(&wanted));
  if (!made) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  core.fonts.push_back(std::move(made));
  return core.fonts.back().Get();
}

// Gives a child its font and notes its look, for a change of resolution.
void SetChildFont(WindowCore& core, HWND child, const ControlSpec& spec) {
  auto& look = core.children[child];
  look.given = true;
  look.font = spec.font;
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(MakeFont(core, spec.font)), FALSE);
}

}  // namespace

void ApplyResolution(WindowCore& core) {
  for (const auto& [child, look] : core.children) {
    MoveChild(child, look.bounds, core.dpi);
    if (look.given) {
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(MakeFont(core, look.font)), TRUE);
    }
  }
}

HWND CreateChildWindow(WindowCore& core, const wchar_t* className, const std::string& text,
                       DWORD style, DWORD exStyle, const Bounds& bounds, int* id, void* param) {
  if (!core.hwnd) throw InternalError();
  const int childId = core.nextControlId++;
  const PixelPlace p = ToPixels(bounds, core.dpi);
  HWND h = CreateWindowExW(exStyle, className, Widen(text).c_str(),
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, p.x, p.y, p.width,
                           p.height, core.hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId)),
                           GetModuleHandleW(nullptr), param);
  if (!h) throw OutOfMemoryError();
  core.children[h].bounds = bounds;
  if (id) *id = childId;
  return h;
}

std::unique_ptr<Button> CreateButton(const std::shared_ptr<WindowCore>& core,
                                     const ControlSpec& spec, std::function<void()> onClick) {
  int id = 0;
  HWND h = CreateChildWindow(*core, L"BUTTON", spec.caption, WS_TABSTOP | BS_PUSHBUTTON, 0,
                             spec.bounds, &id);
  SetChildFont(*core, h, spec);
  // First in the tab order, whatever was placed before it.
  SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  core->clickHandlers[id] = std::make_shared<std::function<void()>>(std::move(onClick));
  return std::make_unique<Win32Button>(core, h, spec.bounds, id);
}

std::unique_ptr<Label> CreateLabel(const std::shared_ptr<WindowCore>& core,
                                   const ControlSpec& spec) {
  const DWORD align = spec.centred ? SS_CENTER : SS_LEFT;
  HWND h = CreateChildWindow(*core, L"STATIC", spec.caption, align | SS_NOPREFIX, 0,
                             spec.bounds, nullptr);
  SetChildFont(*core, h, spec);
  LabelLook& look = core->labels[h];
  look.fore = ToColorRef(spec.foreColor);
  look.back = ToColorRef(spec.backColor);
  look.brush = Brush(CreateSolidBrush(look.back));
  InvalidateRect(h, nullptr, TRUE);
  return std::make_unique<Win32Label>(core, h);
}

}  // namespace td::win32
