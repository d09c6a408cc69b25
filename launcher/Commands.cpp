// The main window's steps that other parts carry out: finding the host's data folder,
// the back-up, the help window and the card viewer.
#include "host/Backup.h"
#include "host/HostDataPath.h"
#include "host/ModResFiles.h"
#include "launcher/fTumbledeck.h"
#include "run/MasterFolder.h"

namespace td {

void fTumbledeck::GetPXDRPath() {
  dataPathScript_ =
      FindHostDataPath(platform_.FileSystem(), platform_.System(), platform_.Screen(), *this);
}

void fTumbledeck::SaveOrig() {
  MakeBackup(platform_.FileSystem(), platform_.System(), platform_.Screen(), *this);
}

// Writes the user guide beside the program and opens the help window; returns at once.
// A guide that cannot be written shows an older copy if one is there, else the window's
// load of it reports the failure.
void fTumbledeck::ShowHelp() {
  WriteResFile(platform_.FileSystem(), platform_.System(), kResUserGuide, "CUSTOM",
               MyPath + names::kUserGuide);
  if (!Form4) Form4 = std::make_unique<td::Form4>(*this, platform_);
  Form4->Show();
}

// Opens the card viewer and returns at once; the run lasts as long as the viewer.
void fTumbledeck::ShowCards() {
  if (!Form3) Form3 = std::make_unique<td::Form3>(*this, platform_);
  Form3->Show();
}

}  // namespace td
