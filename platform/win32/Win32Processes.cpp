// Starting other programs: a command line as a minimized, inactive process, and a
// batch script whose path and argument must reach it unchanged.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "platform/ProgramCall.h"
#include "platform/win32/Win32Functions.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Libraries.h"
#include "platform/win32/Win32Text.h"

namespace td::win32 {
namespace {

constexpr int kStartAttempts = 4;
constexpr DWORD kStartRetryMs = 250;

// The variables that carry a script's path and its argument to the interpreter.
constexpr wchar_t kScriptVariable[] = L"TD_SCRIPT";
constexpr wchar_t kArgumentVariable[] = L"TD_ARG";
// The carried scripts' own work variables: they read some before they set them
// ("set pxdrdata=%pxdrdata% ..."), so a value the user's environment happens to hold
// would slip into their answer.
constexpr const wchar_t* kScriptWorkVariables[] = {L"xx",       L"tempdata", L"pxdrdata",
                                                   L"zz",       L"testdata", L"data",
                                                   L"basepath", L"savefolder", L"saveorig"};

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring NameOf(const std::wstring& entry) {
  return entry.substr(0, entry.find(L'=', 1));  // "=C:=C:\x" is named "=C:"
}

// This process's environment less the scripts' work variables, plus `added`, sorted by
// name as Windows keeps it, as a Unicode environment block.
std::vector<wchar_t> ScriptEnvironment(const std::vector<std::pair<std::wstring, std::wstring>>& added) {
  std::vector<std::wstring> entries;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* p = block; *p; p += wcslen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsW(block);
  }
  std::erase_if(entries, [&added](const std::wstring& entry) {
    const std::wstring name = NameOf(entry);
    const bool work = std::any_of(std::begin(kScriptWorkVariables), std::end(kScriptWorkVariables),
                                  [&name](const wchar_t* w) { return SameName(name, w); });
    const bool replaced = std::any_of(added.begin(), added.end(),
                                      [&name](const auto& a) { return SameName(name, a.first); });
    return work || replaced;
  });
  for (const auto& [name, value] : added) entries.push_back(name + L"=" + value);
  std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
    const std::wstring x = NameOf(a), y = NameOf(b);
    return CompareStringOrdinal(x.c_str(), -1, y.c_str(), -1, TRUE) == CSTR_LESS_THAN;
  });
  std::vector<wchar_t> block;
  for (const std::wstring& entry : entries) {
    block.insert(block.end(), entry.begin(), entry.end());
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

std::wstring CommandInterpreter() { return SystemFolder() + L"cmd.exe"; }

// Where a script looks for the programs it names: the system's folders only, with the
// system's extensions. Windows' interpreter then skips the current folder as well.
std::vector<std::pair<std::wstring, std::wstring>> SystemSearch() {
  const std::wstring system = SystemFolder();
  const std::wstring windows = WindowsFolder();
  std::wstring extensions;
  for (const char* extension : kProgramExtensions) {
    extensions += (extensions.empty() ? L"" : L";") + Widen(extension);
  }
  return {{L"PATH", system.substr(0, system.size() - 1) + L";" +
                        windows.substr(0, windows.size() - 1) + L";" + system + L"Wbem"},
          {L"PATHEXT", extensions},
          {L"COMSPEC", CommandInterpreter()},
          {L"NoDefaultCurrentDirectoryInExePath", L"1"}};
}

// Wine's command interpreter reads every "%" of an expanded value again (Windows does
// not), so that the script's own expansions would eat the "%" of a folder's name;
// there a doubled "%" comes out as one.
bool InterpreterRescansPercents() { return WineVersion() > 0; }

// Wine 10's xcopy splits a quoted path at its blanks and ends at once; the short 8.3
// form of the same path, which Wine keeps for every name, has none.
bool XcopySplitsQuotedBlanks() { return WineVersion() >= 10; }

bool IsXcopy(const std::string& systemFile) {
  return CompareStringOrdinal(Widen(systemFile).c_str(), -1, L"xcopy.exe", -1, TRUE) == CSTR_EQUAL;
}

// A started process, and the job that holds it with every process it starts in turn
// (a script's xcopy, reg and findstr), where it got one: ending it ends them all.
class Win32Process : public StartedProcess {
 public:
  Win32Process(KernelHandle process, KernelHandle job)
      : process_(std::move(process)), job_(std::move(job)) {}
  bool HasEnded() override { return WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0; }
  void End() override {
    if (job_) {
      TerminateJobObject(job_.Get(), 1);  // what it left running too
    } else if (!HasEnded()) {
      TerminateProcess(process_.Get(), 1);
    }
  }

 private:
  KernelHandle process_;
  KernelHandle job_;
};

// Starts a program. With `inJob`, it starts in a job of its own, so that what it starts
// can be ended with it.
std::unique_ptr<StartedProcess> Launch(const wchar_t* application, const std::wstring& commandLine,
                                       std::vector<wchar_t>* environment = nullptr,
                                       const wchar_t* folder = nullptr, bool inJob = false) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINNOACTIVE;
  PROCESS_INFORMATION process{};
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');  // CreateProcessW may write into its command line
  const DWORD flags = CREATE_NEW_CONSOLE | (environment ? CREATE_UNICODE_ENVIRONMENT : 0) |
                      (inJob ? CREATE_SUSPENDED : 0);
  // A program that is there may still fail to start for a moment on a busy machine (a
  // scanner holding a new file, a system short of processes): it is tried again, briefly.
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessW(application, line.data(), nullptr, nullptr, FALSE, flags,
                       environment ? environment->data() : nullptr, folder, &startup, &process)) {
      break;
    }
    const DWORD error = GetLastError();
    const bool there = GetFileAttributesW(application) != INVALID_FILE_ATTRIBUTES;
    if (!there || attempt == kStartAttempts) {
      // A program that cannot be started for a reason the mapper does not know (not an
      // executable, a missing library...) is reported as the classic runtime's Shell
      // does: file not found.
      throw ErrorFromWin32(error, Subject::kEntry, err::kFileNotFound);
    }
    Sleep(kStartRetryMs);
  }
  const KernelHandle thread(process.hThread);
  KernelHandle job;
  if (inJob) {
    // Into the job before it runs, so that all it starts is in the job too. Without a
    // job (a system that refuses one) it still runs; ending it then ends it alone.
    job.Reset(CreateJobObjectW(nullptr, nullptr));
    if (job && !Functions().assignProcessToJobObject(job.Get(), process.hProcess)) job.Reset();
    ResumeThread(thread.Get());
  }
  return std::make_unique<Win32Process>(KernelHandle(process.hProcess), std::move(job));
}

// The interpreter gets only the names of two variables that hold the script's path and
// its argument: it expands each once, inside double quotes, so no "%", "^", "&", "!",
// blank or letter of them is expanded, split or read as a command. /d skips AutoRun
// commands, /e:on and /v:off keep the parsing the scripts were written for whatever
// the registry says. The script starts in the system folder: the folder it is in may
// hold anything, and an interpreter looks in its current folder first.
std::unique_ptr<StartedProcess> StartScript(const std::wstring& script, const std::string& argument,
                                            bool hasArgument) {
  const DWORD attributes = GetFileAttributesW(script.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError(Subject::kEntry);
  // The interpreter would start and only then complain in its own window.
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw ErrorFromWin32(ERROR_FILE_NOT_FOUND);
  const std::wstring interpreter = CommandInterpreter();
  std::wstring line = L"\"" + interpreter + L"\" /d /e:on /v:off /s /c \"\"%" +
                      kScriptVariable + L"%\"";
  std::vector<std::pair<std::wstring, std::wstring>> variables = SystemSearch();
  variables.emplace_back(kScriptVariable, script);
  if (hasArgument) {
    line += L" \"%" + std::wstring(kArgumentVariable) + L"%\"";
    variables.emplace_back(kArgumentVariable,
                           Widen(InterpreterRescansPercents() ? DoublePercents(argument) : argument));
  }
  line += L"\"";
  std::vector<wchar_t> environment = ScriptEnvironment(variables);
  return Launch(interpreter.c_str(), line, &environment, SystemFolder().c_str(), true);
}

}  // namespace

int WineVersion() {
  static const int version = [] {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    using GetVersionCall = const char*(CDECL*)();
    const auto get = ntdll ? reinterpret_cast<GetVersionCall>(reinterpret_cast<void*>(
                                 GetProcAddress(ntdll, "wine_get_version")))
                           : nullptr;
    const char* text = get ? get() : nullptr;
    return text ? std::max(1, std::atoi(text)) : 0;
  }();
  return version;
}

std::unique_ptr<StartedProcess> StartProgram(const std::string& commandLine) {
  const std::wstring line = Widen(commandLine);
  const ProgramCall call = ReadProgramCall(commandLine);
  if (call.script) return StartScript(Widen(call.program), call.argument, call.hasArgument);
  // A program named without a folder is the system's: CreateProcessW's own search would
  // try the program's folder and the current one first, where anything may lie.
  const std::optional<std::string> systemFile = SystemProgramFile(call.program);
  const std::wstring application = systemFile ? SystemFolder() + Widen(*systemFile) : Widen(call.program);
  if (systemFile && IsXcopy(*systemFile) && XcopySplitsQuotedBlanks()) {
    return Launch(application.c_str(), Widen(WithoutBlanksInWords(commandLine, ShortPathOf)));
  }
  return Launch(application.c_str(), line);
}

}  // namespace td::win32
