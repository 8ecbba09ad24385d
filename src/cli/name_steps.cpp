#include "cli/name_steps.h"

#include "cli/argument_text.h"
#include "platform/stored_file_error.h"
#include "platform/text_file.h"
#include "regex/regex_syntax_error.h"
#include "sjis/codec.h"
#include "tools/replace_list.h"
#include "tools/search_editor.h"

#include <algorithm>
#include <filesystem>

namespace namitra::cli {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool holdsLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// Prepares one step, writing the reason into `error` when it cannot be.
class StepPreparer {
 public:
  StepPreparer(platform::NameCodec& codec, std::string& error) : m_codec(codec), m_error(error) {}

  std::optional<NameStep> prepare(const StepArguments& arguments) {
    NameStep step;
    step.kind = arguments.kind;
    step.spelling = arguments.spelling();
    step.numbers.startValue = arguments.startValue;
    step.numbers.digitCount = arguments.digitCount;
    step.boxes.matchCase = arguments.search.matchCase;
    step.boxes.wholeWord = arguments.search.wholeWord;
    step.boxes.regexp = arguments.search.regexp;
    step.boxes.fuzzy = arguments.search.fuzzy;
    if (!fill(step, arguments)) return std::nullopt;
    return step;
  }

 private:
  bool fill(NameStep& step, const StepArguments& arguments) {
    switch (arguments.kind) {
      case StepKind::Format:
        return oneLine(arguments.first, step.text);
      case StepKind::Rule:
        if (!oneLine(arguments.first, step.text)) return false;
        step.rules.push_back(platform::Rule::fromLine(step.text));
        return true;
      case StepKind::Rules:
        return readRules(arguments.first, step.rules);
      case StepKind::Replace:
        if (arguments.first.empty()) return refuse(step.spelling + ": " + sjis::toUtf8(tools::kNoSearchTextMessage));
        return oneLine(arguments.first, step.text) && oneLine(arguments.second, step.replacement);
      case StepKind::NamesFrom:
        return readNames(arguments.first, step.text);
    }
    return false;
  }

  // A text of one line, as the window's input boxes hold.
  bool oneLine(const std::string& utf8, std::string& into) {
    if (holdsLineBreak(utf8)) return refuse("the argument " + inQuotes(utf8) + " holds a line break");
    std::optional<std::string> text = typedText(m_codec, utf8);
    if (!text) return refuse("the argument " + inQuotes(utf8) + " cannot be represented (" + whyNot(utf8) + ")");
    into = std::move(*text);
    return true;
  }

  bool readRules(const std::string& file, std::vector<platform::Rule>& into) {
    try {
      std::optional<std::vector<platform::Rule>> rules = platform::readRuleFile(file);
      if (!rules) return refuse("the rule file " + inQuotes(file) + " does not exist");
      into = std::move(*rules);
      return true;
    } catch (const platform::StoredFileError& error) {
      return refuse(error.what());
    }
  }

  bool readNames(const std::string& file, std::string& into) {
    std::optional<std::string> bytes;
    try {
      bytes = platform::readWholeFileStrict(file);
    } catch (const platform::StoredFileError& error) {
      return refuse(error.what());
    }
    if (!bytes) return refuse("the names file " + inQuotes(file) + " does not exist");
    std::string_view utf8 = *bytes;
    if (utf8.starts_with(kUtf8ByteOrderMark)) utf8.remove_prefix(kUtf8ByteOrderMark.size());
    if (const std::size_t bad = firstInvalidUtf8(utf8); bad != std::string_view::npos) {
      const auto line = 1 + std::count(utf8.begin(), utf8.begin() + static_cast<std::ptrdiff_t>(bad), '\n');
      return refuse("the names file " + inQuotes(file) + " is not UTF-8 text (line " + std::to_string(line) + ")");
    }
    std::optional<std::string> text = m_codec.fromDisplay(utf8);
    if (!text) return refuse("the names file " + inQuotes(file) + " cannot be represented (no name code left)");
    into = std::move(*text);
    return true;
  }

  static std::string whyNot(std::string_view utf8) {
    return firstInvalidUtf8(utf8) != std::string_view::npos ? "not UTF-8" : "no name code left";
  }

  bool refuse(std::string reason) {
    m_error = std::move(reason);
    return false;
  }

  platform::NameCodec& m_codec;
  std::string& m_error;
};

std::optional<StepFailure> runOne(editor::TextEditor& edit, tools::SearchEditor& search, const NameStep& step) {
  switch (step.kind) {
    case StepKind::Format: {
      const tools::FormatOutcome outcome = tools::applyFormat(edit, step.text, step.numbers);
      if (!outcome.applied) return StepFailure{step.spelling, outcome.message, 0};
      return std::nullopt;
    }
    case StepKind::Rule:
    case StepKind::Rules:
      // The tool's notes on missing sources are the window's log lines; there is no log here.
      tools::applyReplaceLists(edit, step.rules, {}, {}, [](const std::string&) {});
      return std::nullopt;
    case StepKind::Replace:
      tools::applyCheckBoxes(search, step.boxes);
      search.setFindString(step.text);
      search.ReplaceAll(step.replacement, true);
      return std::nullopt;
    case StepKind::NamesFrom:
      edit.setText(step.text);
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

PreparedSteps prepareSteps(const std::vector<StepArguments>& arguments, platform::NameCodec& codec) {
  PreparedSteps prepared;
  prepared.steps.reserve(arguments.size());
  StepPreparer preparer(codec, prepared.error);
  for (const StepArguments& each : arguments) {
    std::optional<NameStep> step = preparer.prepare(each);
    if (!step) return {{}, std::move(prepared.error)};
    prepared.steps.push_back(std::move(*step));
  }
  return prepared;
}

std::optional<StepFailure> runSteps(editor::TextEditor& edit, const std::vector<NameStep>& steps) {
  tools::SearchEditor search(edit);  // one regular expression object, one pattern cache
  for (const NameStep& step : steps) {
    try {
      if (std::optional<StepFailure> failure = runOne(edit, search, step)) return failure;
    } catch (const regex::RegexSyntaxError& error) {
      return StepFailure{step.spelling, error.what(), error.ErrorPos()};
    }
  }
  return std::nullopt;
}

}  // namespace namitra::cli
