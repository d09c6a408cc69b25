// The factory: COM and OLE for the user-interface thread, then the four parts.
#include "platform/win32/Win32Platform.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Libraries.h"

namespace td {
namespace {

class Win32Platform : public Platform {
 public:
  Win32Platform() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    files_ = win32::CreateFileSystem();
    system_ = win32::CreateSystem();
    pictures_ = win32::CreatePictures();
    screen_ = win32::CreateScreen();
  }
  ~Win32Platform() override = default;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  td::FileSystem& FileSystem() override { return *files_; }
  td::Screen& Screen() override { return *screen_; }
  td::Pictures& Pictures() override { return *pictures_; }
  td::System& System() override { return *system_; }

 private:
  // Declared first, so they end after the parts that use them.
  win32::ComApartment com_;
  win32::OleSession ole_;
  std::unique_ptr<td::FileSystem> files_;
  std::unique_ptr<td::System> system_;
  std::unique_ptr<td::Pictures> pictures_;
  std::unique_ptr<td::Screen> screen_;
};

}  // namespace

std::unique_ptr<Platform> CreateWin32Platform() {
  win32::SearchLibrariesInSystemFolderOnly();  // before COM, OLE or a window loads one
  return std::make_unique<Win32Platform>();
}

}  // namespace td
