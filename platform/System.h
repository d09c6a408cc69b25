// Processes and the system around the program: its command line and resources, the
// processes it starts, the registry, the clock, the random generator and code pages.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/RunError.h"

namespace td {

// A process the program started. Letting go of it does not end it.
class StartedProcess {
 public:
  virtual ~StartedProcess() = default;
  // True once the process has ended (for a script, once its interpreter has).
  virtual bool HasEnded() = 0;
  // Ends the process at once, if it still runs, and for a script whatever the script
  // started that still runs (its copy, its registry query): none of them writes more.
  virtual void End() = 0;
};

// The extensions the command interpreter tries, in this order, for a command named
// without one: the system's own list, whatever the user's environment says.
inline constexpr const char* kProgramExtensions[] = {".COM", ".EXE", ".BAT", ".CMD",
                                                     ".VBS", ".VBE", ".JS",  ".JSE",
                                                     ".WSF", ".WSH", ".MSC"};

class System {
 public:
  virtual ~System() = default;
  // The raw argument text after the program's own path, before any splitting.
  virtual std::string CommandTail() const = 0;
  // The full path of the running executable.
  virtual std::string ExecutablePath() const = 0;
  // Bytes of one of the executable's resources, by type name and id; nothing when absent.
  virtual std::optional<std::string> LoadResourceBytes(const std::string& type, int id) = 0;
  // Starts a command line as a new process, its window minimized and not activated, and
  // returns without waiting. A first word without a folder names a program of the
  // system folder ("Xcopy"), never one of the current or the program's own folder. A
  // first word naming a .bat file runs the system's command interpreter on it with its
  // one quoted argument exactly as given: no part of either is expanded or split by the
  // interpreter (%, ^, &, !, blanks, letters beyond ASCII). The script starts in the
  // system folder, with the system's PATH, COMSPEC and PATHEXT (kProgramExtensions), so
  // that the commands it names are the system's; where it changes folder itself, a
  // program of that folder may still take a command's place (Wine's interpreter looks
  // in the current folder first, whatever the environment says).
  // Throws RunError 53 when the program or script does not exist.
  virtual std::unique_ptr<StartedProcess> StartProcess(const std::string& commandLine) = 0;
  // False where the system's command interpreter cannot carry out the carried scripts'
  // work as Windows' does: Wine 10's reads their registry loop's `"Tokens=3""delims="` as
  // "no delimiters", so that they find no host folder, and its xcopy splits a quoted
  // path at its blanks. The program then makes the back-up's copy itself.
  virtual bool InterpreterRunsCarriedScripts() const = 0;
  // A text value of the current user's registry (key below HKEY_CURRENT_USER); nothing
  // when the key or the value is missing or holds no text.
  virtual std::optional<std::string> ReadUserRegistryText(const std::string& key,
                                                          const std::string& value) = 0;
  // Elapsed seconds from an arbitrary start; never jumps back (midnight included).
  virtual double Seconds() = 0;
  // Seeds the random generator from the clock.
  virtual void Randomize() = 0;
  // The next random value r, 0 <= r < 1.
  virtual float NextRandom() = 0;
  // Text that the command interpreter wrote (the console's OEM code page) as UTF-8.
  virtual std::string DecodeConsoleText(std::string_view bytes) const = 0;
  // Text files the program reads and writes use the 8-bit ANSI code page.
  virtual std::string DecodeAnsiText(std::string_view bytes) const = 0;
  virtual std::string EncodeAnsiText(std::string_view utf8) const = 0;
  // What the console code page makes of UTF-8 text, for files the interpreter will read.
  virtual std::string EncodeConsoleText(std::string_view utf8) const = 0;
};

}  // namespace td
