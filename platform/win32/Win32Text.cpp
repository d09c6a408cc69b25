#include "platform/win32/Win32Text.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/win32/Win32Internal.h"

namespace td::win32 {
namespace {

int CheckedLength(size_t size) {
  if (size > static_cast<size_t>(std::numeric_limits<int>::max())) throw OutOfMemoryError();
  return static_cast<int>(size);
}

std::wstring ToWide(std::string_view bytes, UINT codePage, DWORD flags) {
  if (bytes.empty()) return {};
  const int inLength = CheckedLength(bytes.size());
  const int outLength = MultiByteToWideChar(codePage, flags, bytes.data(), inLength, nullptr, 0);
  if (outLength <= 0) ThrowLastError();
  std::wstring wide(static_cast<size_t>(outLength), L'\0');
  // The same text into room enough: it cannot fail where measuring did not.
  MultiByteToWideChar(codePage, flags, bytes.data(), inLength, wide.data(), outLength);
  return wide;
}

std::string FromWide(std::wstring_view wide, UINT codePage, DWORD flags) {
  if (wide.empty()) return {};
  const int inLength = CheckedLength(wide.size());
  const int outLength =
      WideCharToMultiByte(codePage, flags, wide.data(), inLength, nullptr, 0, nullptr, nullptr);
  if (outLength <= 0) ThrowLastError();
  std::string bytes(static_cast<size_t>(outLength), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), inLength, bytes.data(), outLength, nullptr,
                      nullptr);
  return bytes;
}

}  // namespace

std::wstring Widen(std::string_view utf8) { return ToWide(utf8, CP_UTF8, MB_ERR_INVALID_CHARS); }

std::string Narrow(std::wstring_view wide) {
  return FromWide(wide, CP_UTF8, WC_ERR_INVALID_CHARS);
}

std::optional<std::string> TryNarrow(std::wstring_view wide) {
  try {
    return Narrow(wide);
  } catch (const RunError&) {
    return std::nullopt;
  }
}

std::string CodePageToUtf8(std::string_view bytes, unsigned codePage) {
  return Narrow(ToWide(bytes, codePage, 0));
}

std::string Utf8ToCodePage(std::string_view utf8, unsigned codePage) {
  return FromWide(Widen(utf8), codePage, 0);
}

std::optional<std::wstring> FillBuffer(
    const std::function<unsigned long(wchar_t* buffer, unsigned long size)>& fill) {
  constexpr size_t kLimit = 1u << 20;  // far beyond any path, name or window text
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const size_t got = fill(buffer.data(), static_cast<unsigned long>(buffer.size()));
    if (got == 0 && GetLastError() != ERROR_SUCCESS) return std::nullopt;
    if (got < buffer.size()) {
      buffer.resize(got);
      return buffer;
    }
    if (buffer.size() >= kLimit) throw OutOfMemoryError();
    buffer.resize(std::min(kLimit, std::max(got + 1, buffer.size() * 2)));
  }
}

}  // namespace td::win32
