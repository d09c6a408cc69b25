// How the host keeps its cards: card folders directly in its data folder, named like
// "a0001", each with one picture named after the folder plus "c.jpg".
#pragma once

#include <array>
#include <string>

namespace td {

// Where the host records its data folder: a text value of the current user's registry.
inline constexpr char kHostRegistryKey[] = "SOFTWARE\\Zentrix\\pxdr\\System";
inline constexpr char kHostRegistryValue[] = "DataPath";

// The card folders' name patterns, in the order the card viewer shows them: all
// a-cards, then the c-cards, then the b-cards.
inline constexpr std::array<const char*, 3> kCardFolderPatterns = {"a????", "c????", "b????"};

// The card's picture; `dataFolder` ends in "\" (the host's value carries one).
inline std::string CardPicturePath(const std::string& dataFolder, const std::string& card) {
  return dataFolder + card + "\\" + card + "c.jpg";
}

}  // namespace td
