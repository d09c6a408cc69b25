// Conversions between the interface's UTF-8 and the wide text and 8-bit code pages of
// the Windows API, and the buffer helper for calls that fill one. Internal to
// platform/win32.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace td::win32 {

// Throw RunError 5 for text that is not valid UTF-8 (or UTF-16): a name mangled on the
// way is worse than a reported failure.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
// Nothing for text that is not valid UTF-16.
std::optional<std::string> TryNarrow(std::wstring_view wide);

// 8-bit text of the given code page (CP_ACP, CP_OEMCP...) to UTF-8 and back. Characters
// that the code page lacks become its default character ("?"): that is the code page's
// answer, not a failure.
std::string CodePageToUtf8(std::string_view bytes, unsigned codePage);
std::string Utf8ToCodePage(std::string_view utf8, unsigned codePage);

// Runs a call that writes wide text into a buffer, growing the buffer until the text
// fits. `fill(buffer, size)` returns the length written without the terminator, or a
// length of at least `size` when the buffer was too small (what it needs, or `size`
// itself for calls that cut the text off), or 0 with GetLastError() set when it failed:
// then the result is empty.
std::optional<std::wstring> FillBuffer(
    const std::function<unsigned long(wchar_t* buffer, unsigned long size)>& fill);

}  // namespace td::win32
