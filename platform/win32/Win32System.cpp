// System: the process, its command line and resources, other programs, the registry,
// clocks, random numbers and code pages.
#include <windows.h>

#include <random>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Text.h"

namespace td::win32 {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

class Win32System : public System {
 public:
  std::string CommandTail() const override { return CommandTailOf(GetCommandLineW()); }

  std::string ExecutablePath() const override {
    const auto path = FillBuffer([](wchar_t* buffer, unsigned long size) {
      return GetModuleFileNameW(nullptr, buffer, size);
    });
    if (!path) ThrowLastError();
    return Narrow(*path);
  }

  std::optional<std::string> LoadResourceBytes(const std::string& type, int id) override {
    if (id < 0 || id > 0xFFFF) return std::nullopt;
    const std::wstring typeName = Widen(type);
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), typeName.c_str());
    if (!found) return std::nullopt;
    HGLOBAL loaded = LoadResource(nullptr, found);
    const DWORD size = SizeofResource(nullptr, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return std::nullopt;
    return std::string(static_cast<const char*>(bytes), size);
  }

  std::unique_ptr<StartedProcess> StartProcess(const std::string& commandLine) override {
    return StartProgram(commandLine);
  }

  bool InterpreterRunsCarriedScripts() const override { return WineVersion() < 10; }

  std::optional<std::string> ReadUserRegistryText(const std::string& key,
                                                  const std::string& value) override {
    const std::wstring keyName = Widen(key);
    const std::wstring valueName = Widen(value);
    const auto text = FillBuffer([&](wchar_t* buffer, unsigned long size) -> unsigned long {
      DWORD bytes = size * sizeof(wchar_t);
      const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, keyName.c_str(), valueName.c_str(),
                                          RRF_RT_REG_SZ, nullptr, buffer, &bytes);
      if (status == ERROR_MORE_DATA) return size;  // grow and ask again
      if (status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return 0;
      }
      const unsigned long length = bytes / sizeof(wchar_t);
      return length > 0 ? length - 1 : 0;  // without the terminator
    });
    if (!text) return std::nullopt;
    return Narrow(*text);
  }

  double Seconds() override {
    // Neither call fails on Windows XP and later.
    LARGE_INTEGER frequency{}, now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
  }

  void Randomize() override {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    FILETIME time{};
    GetSystemTimeAsFileTime(&time);
    std::seed_seq seed{static_cast<uint32_t>(counter.QuadPart),
                       static_cast<uint32_t>(counter.QuadPart >> 32),
                       static_cast<uint32_t>(time.dwLowDateTime),
                       static_cast<uint32_t>(time.dwHighDateTime),
                       static_cast<uint32_t>(GetCurrentProcessId())};
    generator_.seed(seed);
  }

  float NextRandom() override {
    // 24 random bits fill a float's mantissa exactly, so the result stays below 1.
    const uint32_t bits = static_cast<uint32_t>(generator_() >> 8);
    return static_cast<float>(bits) * (1.0f / 16777216.0f);
  }

  std::string DecodeConsoleText(std::string_view bytes) const override {
    return CodePageToUtf8(bytes, CP_OEMCP);
  }
  std::string DecodeAnsiText(std::string_view bytes) const override {
    return CodePageToUtf8(bytes, CP_ACP);
  }
  std::string EncodeAnsiText(std::string_view utf8) const override {
    return Utf8ToCodePage(utf8, CP_ACP);
  }
  std::string EncodeConsoleText(std::string_view utf8) const override {
    return Utf8ToCodePage(utf8, CP_OEMCP);
  }

 private:
  std::mt19937 generator_;
};

}  // namespace

std::string CommandTailOf(std::wstring_view line) {
  // Wine quotes the program's path always; a shortcut or a scheduled task on Windows
  // names one without blanks as it is.
  size_t i = 0;
  if (!line.empty() && line[0] == L'"') {
    i = line.find(L'"', 1);
    i = i == std::wstring::npos ? line.size() : i + 1;
  } else {
    while (i < line.size() && !IsBlank(line[i])) ++i;
  }
  while (i < line.size() && IsBlank(line[i])) ++i;
  return Narrow(line.substr(i));
}

std::unique_ptr<System> CreateSystem() { return std::make_unique<Win32System>(); }

}  // namespace td::win32
