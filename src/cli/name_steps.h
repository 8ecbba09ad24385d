// The steps of the command line over the edit text, each through the window's own tool.
//
// Preparing takes the steps' texts into the program's text and reads the files they name (rule
// files, names files), so that every fault of the command line shows before any step runs.
// Running applies them in order to the edit text: --format is the format tool, --rule and
// --rules the batch replace with the rules as its grid, --replace the editor's replace-all with
// the options built as the window's check boxes build them, --names-from the text replaced
// whole as if typed. A run stops at the first step the tool refuses (an empty format, a text
// without lines) or whose pattern is malformed; the edit text then holds what the steps before
// made of it.
#pragma once

#include "cli/command_line.h"
#include "editor/text_editor.h"
#include "platform/name_codec.h"
#include "platform/rule_file.h"
#include "tools/format_tool.h"
#include "tools/search_replace.h"

#include <optional>
#include <string>
#include <vector>

namespace namitra::cli {

struct NameStep {
  StepKind kind = StepKind::Format;
  std::string spelling;       // the step as written (UTF-8), for messages
  std::string text;           // the format, the search text or the new names, in program text
  std::string replacement;    // of --replace
  std::vector<platform::Rule> rules;
  tools::RunningNumberSettings numbers;
  tools::ReplaceCheckBoxes boxes{};
};

struct PreparedSteps {
  std::vector<NameStep> steps;
  std::string error;  // UTF-8; empty when every step is ready
};

PreparedSteps prepareSteps(const std::vector<StepArguments>& arguments, platform::NameCodec& codec);

struct StepFailure {
  std::string spelling;  // UTF-8
  std::string message;   // the tool's or the engine's message, program text
  int position = 0;      // the pattern position of a malformed pattern (1-based), else 0
};

std::optional<StepFailure> runSteps(editor::TextEditor& edit, const std::vector<NameStep>& steps);

}  // namespace namitra::cli
