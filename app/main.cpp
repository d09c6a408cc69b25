// Tumbledeck.exe: the Windows machine, handed to the program.
#include "launcher/fTumbledeck.h"
#include "platform/win32/Win32Platform.h"

int main() {
  auto platform = td::CreateWin32Platform();
  return td::RunTumbledeck(*platform);
}
