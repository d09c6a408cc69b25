// How the Windows machine reads a command line it is asked to start: the program's
// word, and for a batch script its one argument. Portable, so that the reading can be
// tested and fuzzed without Windows.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace td {

struct ProgramCall {
  std::string program;       // the first word, without its enclosing quotes
  bool script = false;       // a ".bat" or ".cmd" file: the interpreter runs it
  bool hasArgument = false;  // something follows the script's word
  std::string argument;      // the script's argument, without its enclosing quotes
};

// Words are separated by blanks and tabs; a word that starts with a double quote runs
// to the next one (or to the end), and the quotes are dropped.
ProgramCall ReadProgramCall(std::string_view commandLine);

// For a program named without a folder or drive ("Xcopy"): its file name in the system
// folder, ".exe" added where it has no extension. Nothing for a program named by a path:
// that one is started where it is.
std::optional<std::string> SystemProgramFile(std::string_view program);

// The command line with each quoted word that holds a blank given as `shortForm(word)`
// instead, in quotes, where that names it without a blank; every other word, and the
// blanks between words, stay as they are. For a program that splits a quoted word at its
// blanks (Wine 10's xcopy): the short 8.3 form of a path names the same folder.
std::string WithoutBlanksInWords(
    std::string_view commandLine,
    const std::function<std::optional<std::string>(const std::string& word)>& shortForm);

// Every "%" doubled: an interpreter that reads an expanded value's "%" again (Wine's)
// then gives back the text as it was.
std::string DoublePercents(std::string_view text);

}  // namespace td
