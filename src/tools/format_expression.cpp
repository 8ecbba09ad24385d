// The seven passes of a format expression. Passes 1 to 6 are exact literal replace-alls; pass 7
// (%NUM%) must ignore case, so it searches an upper-case copy of the text, which has the same
// length and the same character boundaries as the text itself (the case conversion maps single
// bytes to single bytes and double-byte characters to double-byte characters), and cuts the
// text at the positions found there.
#include "tools/format_expression.h"

#include "sjis/case.h"
#include "sjis/char.h"
#include "sjis/replace.h"

namespace namitra::tools {

namespace {

constexpr std::string_view kNumberVariable = "%NUM%";

bool isSplitCharacter(char byte) { return byte == '.' || byte == '\\' || byte == ':'; }

// The position of the last whole character of `line` that is ".", "\" or ":", or npos.
std::size_t lastSplitCharacter(std::string_view line) {
  std::size_t last = std::string_view::npos;
  for (std::size_t at = 0; at < line.size(); at = sjis::nextCharPos(line, at))
    if (isSplitCharacter(line[at])) last = at;
  return last;
}

// One of passes 1 to 6. Most formats use few of the variables, so the value is made only for a
// variable that occurs.
template <typename MakeValue>
void replaceVariable(std::string& text, std::string_view variable, MakeValue makeValue) {
  if (sjis::findText(text, variable) == std::string::npos) return;
  text = sjis::replaceAll(text, variable, makeValue());
}

std::string replaceNumberVariable(std::string_view text, std::string_view numberText) {
  if (text.find('%') == std::string_view::npos) return std::string(text);
  const std::string upper = sjis::toUpper(text);
  std::string result;
  result.reserve(text.size() + numberText.size());
  std::size_t copied = 0;
  for (std::size_t match = sjis::findText(upper, kNumberVariable); match != std::string::npos;
       match = sjis::findText(upper, kNumberVariable, copied)) {
    result.append(text.substr(copied, match - copied));
    result.append(numberText);
    copied = match + kNumberVariable.size();
  }
  result.append(text.substr(copied));
  return result;
}

}  // namespace

NameAndExtension SplitNameAndExtension(std::string_view line) {
  const std::size_t split = lastSplitCharacter(line);
  if (split == std::string_view::npos || line[split] != '.') return {std::string(line), {}};
  return {std::string(line.substr(0, split)), std::string(line.substr(split))};
}

std::string RunningNumberText(std::int64_t number, int digitCount) {
  std::string text = std::to_string(number);
  if (digitCount > 0 && text.size() < static_cast<std::size_t>(digitCount))
    text.insert(0, static_cast<std::size_t>(digitCount) - text.size(), '0');
  return text;
}

std::string ExpandFormat(std::string_view format, std::string_view line, std::string_view numberText) {
  const NameAndExtension parts = SplitNameAndExtension(line);
  const std::string_view name = parts.name;
  const std::string_view extension = std::string_view(parts.extension).substr(parts.extension.empty() ? 0 : 1);
  std::string result(format);
  replaceVariable(result, "%F_NAME%", [&] { return name; });
  replaceVariable(result, "%F_NAMEAA%", [&] { return sjis::toUpper(name); });
  replaceVariable(result, "%F_NAMEaa%", [&] { return sjis::toLower(name); });
  replaceVariable(result, "%F_EXT%", [&] { return extension; });
  replaceVariable(result, "%F_EXTAA%", [&] { return sjis::toUpper(extension); });
  replaceVariable(result, "%F_EXTaa%", [&] { return sjis::toLower(extension); });
  return replaceNumberVariable(result, numberText);
}

}  // namespace namitra::tools
