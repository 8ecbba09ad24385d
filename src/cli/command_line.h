// The command line of namitra-cli, read into what the run is to do.
//
//   namitra-cli [OPTION | STEP]... [--] PATH...
//   namitra-cli --undo FILE [--data-dir DIR]
//   namitra-cli --recover finish|rollback [--data-dir DIR]
//
// Steps rewrite the edit text in the order they are written; each takes the settings given
// before it (--start and --digits for --format; --regexp or --literal, --match-case,
// --whole-word and --fuzzy for --replace), so one line can mix formats and searches with
// different settings. Every argument that does not start with "-" is a path, wherever it stands;
// after "--" every argument is a path. An option taking one value also accepts "--name=value".
//
// Reading the command line only checks its shape (known options, their values present, numbers
// in range, options that belong together); texts stay as the user wrote them (UTF-8, paths as
// native bytes) and are taken into the program's text later, when the data folder and its name
// codes are known.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace namitra::cli {

enum class StepKind { Format, Rule, Rules, Replace, NamesFrom };

// The search check boxes of the window, as the options given so far have set them.
struct SearchFlags {
  bool matchCase = false;
  bool wholeWord = false;
  bool regexp = true;
  bool fuzzy = false;

  friend bool operator==(const SearchFlags&, const SearchFlags&) = default;
};

struct StepArguments {
  StepKind kind = StepKind::Format;
  std::string first;   // the format, rule, file or search text as written
  std::string second;  // the replacement of --replace
  std::int64_t startValue = 1;
  int digitCount = 1;
  SearchFlags search;

  // The step as written, for messages: "--replace 'a(' 'b'".
  std::string spelling() const;

  friend bool operator==(const StepArguments&, const StepArguments&) = default;
};

enum class CommandKind { Rename, Undo, Recover, Help, Version };

// What --recover does with a run that was cut off.
enum class RecoveryChoice { Finish, Rollback };

struct CommandLine {
  CommandKind kind = CommandKind::Rename;
  std::vector<StepArguments> steps;
  std::vector<std::string> paths;
  bool execute = false;
  bool overwrite = false;
  bool porcelain = false;
  std::optional<std::string> journal;
  std::optional<std::string> undoJournal;
  RecoveryChoice recovery = RecoveryChoice::Rollback;  // for CommandKind::Recover
  std::optional<std::string> dataFolder;
};

// Either the command line or the reason it was refused (one line, UTF-8, without the program's
// name in front).
struct ParsedCommandLine {
  std::optional<CommandLine> commandLine;
  std::string error;
};

// `arguments` without the program name. --help and --version end the reading where they stand:
// what follows them is not looked at.
ParsedCommandLine parseCommandLine(std::vector<std::string> arguments);

// The text of --help.
std::string helpText();

}  // namespace namitra::cli
