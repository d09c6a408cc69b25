// How the host keeps its cards: card folders directly in its data folder, named like
// "a0001", each with one picture named after the folder plus "c.jpg".
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace td {

// Where the host records its data folder: a text value of the current user's registry,
// ending in "\".
inline constexpr char kHostRegistryKey[] = "SOFTWARE\\Zentrix\\pxdr\\System";
inline constexpr char kHostRegistryValue[] = "DataPath";

// Characters that the carried scripts, which expand the value without quotes, would run
// as command syntax ("D:\Cards &calc\" starts a program). No folder name holds "<>|\"",
// but a registry value can.
inline bool HoldsScriptSyntax(std::string_view value) {
  return value.find_first_of("&|<>^%\"") != std::string_view::npos;
}

// A data folder as the program uses it: names are appended to it directly.
inline std::string WithTrailingBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

// The card folders' name patterns, in the order the card viewer shows them: all
// a-cards, then the c-cards, then the b-cards.
inline constexpr std::array<const char*, 3> kCardFolderPatterns = {"a????", "c????", "b????"};

// What the back-up leaves out, as the back-up script writes its exclusion list: each
// entry with the blank its echo leaves before the line end, which xcopy keeps. A file is
// left out when its full path holds one of them, in any letter case.
inline constexpr std::array<const char*, 19> kBackupExclusions = {
    "music ", "skins ", "backgrounds ", "playlists ", ".bmp ", ".psd ", ".vhd ",
    ".txt ",  ".cld ",  ".lst ",        ".log ",      ".pxdr ", ".cds ", ".dat ",
    ".rar ",  ".zip ",  ".ace ",        ".7z ",       ".dlmcdf "};

// The card's picture; `dataFolder` ends in "\" (the host's value carries one).
inline std::string CardPicturePath(const std::string& dataFolder, const std::string& card) {
  return dataFolder + card + "\\" + card + "c.jpg";
}

}  // namespace td
