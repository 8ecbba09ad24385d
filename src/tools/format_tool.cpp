#include "tools/format_tool.h"

#include <charconv>
#include <cstdint>
#include <optional>

#include "tools/format_expression.h"
#include "tools/tool_messages.h"

namespace namitra::tools {

namespace {

std::optional<std::int32_t> readInteger(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  text.remove_prefix(start);
  // from_chars takes a "-" but not a "+".
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    if (text.starts_with('-')) return std::nullopt;
  }
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// Keeps the editor from repainting between the lines, also when a line throws.
class UpdateBracket {
 public:
  explicit UpdateBracket(editor::TextEditor& edit) : m_edit(edit) { m_edit.beginUpdate(); }
  ~UpdateBracket() { m_edit.endUpdate(); }
  UpdateBracket(const UpdateBracket&) = delete;
  UpdateBracket& operator=(const UpdateBracket&) = delete;

 private:
  editor::TextEditor& m_edit;
};

}  // namespace

bool readsAsInteger(std::string_view text) { return readInteger(text).has_value(); }

std::int64_t numberBoxValue(std::string_view text, std::int64_t minimum) {
  return readInteger(text).value_or(minimum);
}

FormatOutcome applyFormat(editor::TextEditor& edit, std::string_view format, RunningNumberSettings numbers) {
  if (format.empty()) return {text::kNoFormatExpression, false};
  if (edit.lineCount() == 0) return {text::kNothingInFileList, false};
  UpdateBracket bracket(edit);
  const PreparedFormat prepared(format);
  const int lineCount = edit.lineCount();
  int row = 0;
  for (int index = 0; index < lineCount; ++index) {
    const std::string number = RunningNumberText(numbers.startValue + index, numbers.digitCount);
    const int rowsBefore = edit.lineCount();
    edit.putLine(row, prepared.expand(edit.line(row), number));
    // A line break in the format makes the line several rows; the next line follows them.
    row += 1 + edit.lineCount() - rowsBefore;
  }
  return {text::kFormatApplied, true};
}

}  // namespace namitra::tools
