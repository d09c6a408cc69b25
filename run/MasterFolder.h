// The names of everything the program reads or writes in the master folder, each
// spelled once. A path is MyPath followed directly by one of these names.
#pragma once

namespace td::names {

inline constexpr char kSettings[] = "debug.ini";
// Written from the carried documents, used, and deleted again at the end of the run.
inline constexpr char kDataPathScript[] = "GetPXDRData.bat";
inline constexpr char kDataPathAnswer[] = "pxdrdatapath.txt";  // the script's answer
inline constexpr char kBackupScript[] = "SaveOrig.bat";
inline constexpr char kUserGuide[] = "How to Use.rtf";
// The copy command, written only in a diagnostic mode; kept when that mode is on.
inline constexpr char kCopyScript[] = "XcopyCmd.bat";

// The back-up: a card set of its own, never picked at random.
inline constexpr char kBackupSet[] = "saveorig";
inline constexpr char kBackupData[] = "saveorig\\data";
// Exists from before the back-up script starts until the script's last step.
inline constexpr char kBackupMarker[] = "saveorig\\data\\exclude.txt";

}  // namespace td::names
