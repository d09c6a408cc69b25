// System: the process, its command line and resources, starting other programs,
// clocks, random numbers and code pages.
#include <windows.h>

#include <cwctype>
#include <utility>
#include <random>
#include <vector>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Text.h"

namespace td::win32 {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The first word of a command line, with the quotes that enclose it removed, and the
// offset just behind it.
std::wstring FirstWord(const std::wstring& line, size_t* end) {
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  std::wstring word;
  if (i < line.size() && line[i] == L'"') {
    ++i;
    while (i < line.size() && line[i] != L'"') word += line[i++];
    if (i < line.size()) ++i;  // the closing quote
  } else {
    while (i < line.size() && !IsBlank(line[i])) word += line[i++];
  }
  if (end) *end = i;
  return word;
}

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix) {
  const std::wstring tail(suffix);
  if (text.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    if (std::towlower(text[text.size() - tail.size() + i]) != std::towlower(tail[i])) {
      return false;
    }
  }
  return true;
}

std::wstring CommandInterpreter() {
  auto comSpec = FillBuffer([](wchar_t* buffer, unsigned long size) {
    return GetEnvironmentVariableW(L"ComSpec", buffer, size);
  });
  if (comSpec && !comSpec->empty()) return *comSpec;
  auto system = FillBuffer([](wchar_t* buffer, unsigned long size) {
    return GetSystemDirectoryW(buffer, size);
  });
  std::wstring folder = system.value_or(L"");
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder + L"cmd.exe";
}

// A started process, held until the program lets go of it.
class Win32Process : public StartedProcess {
 public:
  explicit Win32Process(KernelHandle process) : process_(std::move(process)) {}
  bool HasEnded() override { return WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0; }

 private:
  KernelHandle process_;
};

std::unique_ptr<StartedProcess> Launch(const wchar_t* application, std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINNOACTIVE;
  PROCESS_INFORMATION process{};
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');  // CreateProcessW may write into its command line
  if (!CreateProcessW(application, buffer.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                      nullptr, nullptr, &startup, &process)) {
    // A program that cannot be started for a reason the mapper does not know (not an
    // executable, a missing library...) is reported as the classic runtime's Shell does:
    // file not found.
    ThrowLastError(Subject::kEntry, err::kFileNotFound);
  }
  const KernelHandle thread(process.hThread);
  return std::make_unique<Win32Process>(KernelHandle(process.hProcess));
}

class Win32System : public System {
 public:
  std::string CommandTail() const override {
    const std::wstring line = GetCommandLineW();
    size_t i = 0;
    if (!line.empty() && line[0] == L'"') {
      i = line.find(L'"', 1);
      i = i == std::wstring::npos ? line.size() : i + 1;
    } else {
      while (i < line.size() && !IsBlank(line[i])) ++i;
    }
    while (i < line.size() && IsBlank(line[i])) ++i;
    return Narrow(std::wstring_view(line).substr(i));
  }

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
    const std::wstring line = Widen(commandLine);
    const std::wstring program = FirstWord(line, nullptr);
    if (EndsWithNoCase(program, L".bat") || EndsWithNoCase(program, L".cmd")) {
      // The interpreter would start and only then complain in its own window.
      const DWORD attributes = GetFileAttributesW(program.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError(Subject::kEntry);
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw ErrorFromWin32(ERROR_FILE_NOT_FOUND);
      // With /s the interpreter strips exactly the outer pair of quotes, so a quoted
      // script path followed by quoted arguments reaches it intact.
      const std::wstring interpreter = CommandInterpreter();
      return Launch(interpreter.c_str(), L"\"" + interpreter + L"\" /s /c \"" + line + L"\"");
    }
    // No application name: CreateProcessW then looks the first word up on the PATH.
    return Launch(nullptr, line);
  }

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
    LARGE_INTEGER frequency{}, now{};
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0 &&
        QueryPerformanceCounter(&now)) {
      return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
    return static_cast<double>(GetTickCount64()) / 1000.0;
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

std::unique_ptr<System> CreateSystem() { return std::make_unique<Win32System>(); }

}  // namespace td::win32
