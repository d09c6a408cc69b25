// The one interface through which Tumbledeck's logic reaches the machine.
//
// Two implementations sit beside it: platform/win32 (the product) and platform/sim
// (a simulated machine for the unit tests). The logic never includes anything else
// that talks to the operating system. This header must stay free of <windows.h>:
// that header defines macros (GetCommandLine, DeleteFile, MessageBox, Yield...) that
// would rename the program's own identifiers; the names below avoid all of them.
//
// Text is UTF-8 everywhere in the interface; file contents are raw bytes. Window
// geometry is in twips (1/1440 inch); colours are red + 256*green + 65536*blue.
#pragma once

#include "platform/Controls.h"
#include "platform/FileSystem.h"
#include "platform/Pictures.h"
#include "platform/RunError.h"
#include "platform/Screen.h"
#include "platform/System.h"

namespace td {

// Everything the logic may touch, handed to the forms at start-up. Each part is named
// after its type; the types are qualified because the members reuse their names.
class Platform {
 public:
  virtual ~Platform() = default;
  virtual td::FileSystem& FileSystem() = 0;
  virtual td::Screen& Screen() = 0;
  virtual td::Pictures& Pictures() = 0;
  virtual td::System& System() = 0;
};

}  // namespace td
