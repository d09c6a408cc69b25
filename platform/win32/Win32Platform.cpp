// The factory: COM and OLE for the user-interface thread, then the three parts.
#include "platform/win32/Win32Platform.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Internal.h"

namespace td {
namespace {

class Win32Platform : public Platform {
 public:
  Win32Platform() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    files_ = win32::CreateFileSystem();
    system_ = win32::CreateSystem();
    ui_ = win32::CreateUi();
  }
  ~Win32Platform() override = default;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  FileSystem& Files() override { return *files_; }
  Ui& Screen() override { return *ui_; }
  System& Machine() override { return *system_; }

 private:
  // Declared first, so they end after the parts that use them.
  win32::ComApartment com_;
  win32::OleSession ole_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<System> system_;
  std::unique_ptr<Ui> ui_;
};

}  // namespace

std::unique_ptr<Platform> CreateWin32Platform() { return std::make_unique<Win32Platform>(); }

}  // namespace td
