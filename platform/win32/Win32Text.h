// Conversions between the interface's UTF-8 and the wide text and 8-bit code pages of
// the Windows API. Internal to platform/win32.
#pragma once

#include <string>
#include <string_view>

namespace td::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// 8-bit text of the given code page (CP_ACP, CP_OEMCP...) to UTF-8 and back. Characters
// that the code page lacks become its default character.
std::string CodePageToUtf8(std::string_view bytes, unsigned codePage);
std::string Utf8ToCodePage(std::string_view utf8, unsigned codePage);

}  // namespace td::win32
