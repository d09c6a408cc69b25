// The two 8-bit code pages of a Western Windows machine, for the simulated platform:
// the console's (437) and the ANSI one (1252). Text that is not valid UTF-8 is refused
// with RunError 5, as the Windows conversions refuse it.
#pragma once

#include <string>
#include <string_view>

namespace td::sim {

std::string Cp437ToUtf8(std::string_view bytes);
std::string Utf8ToCp437(std::string_view utf8);
std::string Cp1252ToUtf8(std::string_view bytes);
std::string Utf8ToCp1252(std::string_view utf8);
// Throws RunError 5 for text that is not valid UTF-8.
void CheckUtf8(std::string_view text);
bool IsUtf8(std::string_view text);

}  // namespace td::sim
