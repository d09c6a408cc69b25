#include "platform/win32/Win32Text.h"

#include <windows.h>

#include <limits>
#include <stdexcept>

namespace td::win32 {
namespace {

int CheckedLength(size_t size) {
  if (size > static_cast<size_t>(std::numeric_limits<int>::max())) {
    throw std::length_error("text too long for the Windows API");
  }
  return static_cast<int>(size);
}

std::wstring ToWide(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return {};
  const int inLength = CheckedLength(bytes.size());
  const int outLength = MultiByteToWideChar(codePage, 0, bytes.data(), inLength, nullptr, 0);
  if (outLength <= 0) return {};
  std::wstring wide(static_cast<size_t>(outLength), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), inLength, wide.data(), outLength);
  return wide;
}

std::string FromWide(std::wstring_view wide, UINT codePage) {
  if (wide.empty()) return {};
  const int inLength = CheckedLength(wide.size());
  const int outLength =
      WideCharToMultiByte(codePage, 0, wide.data(), inLength, nullptr, 0, nullptr, nullptr);
  if (outLength <= 0) return {};
  std::string bytes(static_cast<size_t>(outLength), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), inLength, bytes.data(), outLength, nullptr,
                      nullptr);
  return bytes;
}

}  // namespace

std::wstring Widen(std::string_view utf8) { return ToWide(utf8, CP_UTF8); }

std::string Narrow(std::wstring_view wide) { return FromWide(wide, CP_UTF8); }

std::string CodePageToUtf8(std::string_view bytes, unsigned codePage) {
  return Narrow(ToWide(bytes, codePage));
}

std::string Utf8ToCodePage(std::string_view utf8, unsigned codePage) {
  return FromWide(Widen(utf8), codePage);
}

}  // namespace td::win32
