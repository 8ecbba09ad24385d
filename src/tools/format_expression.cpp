// The seven passes of a format expression. Passes 1 to 6 are exact literal replace-alls; pass 7
// (%NUM%) must ignore case as a search of the upper-case text would. The case conversion maps
// single bytes to single bytes (only the ASCII letters change) and double-byte characters to
// double-byte characters, so the upper-case text has the same character boundaries, and a hit
// there is a boundary of the text itself where the next five single-byte characters are "%NUM%"
// with ASCII case ignored: the pass compares that, without making the upper-case copy.
#include "tools/format_expression.h"

#include "sjis/case.h"
#include "sjis/char.h"
#include "sjis/replace.h"
#include "sjis/utf8.h"

#include <algorithm>
#include <charconv>
#include <iterator>

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

// Where the extension (with its ".") of `line` starts; the size of `line` when it has none.
std::size_t extensionStart(std::string_view line) {
  const std::size_t split = lastSplitCharacter(line);
  return split == std::string_view::npos || line[split] != '.' ? line.size() : split;
}

// The variables of passes 1 to 6, in pass order. All of them start with "%F_".
constexpr std::string_view kFileVariables[] = {"%F_NAME%", "%F_NAMEAA%", "%F_NAMEaa%",
                                               "%F_EXT%",  "%F_EXTAA%",  "%F_EXTaa%"};
constexpr std::string_view kFileVariablePrefix = "%F_";

// One bit per variable of passes 1 to 6 that occurs in `text` byte for byte. A pass whose
// variable does not occur so cannot find it on a character boundary either, and leaves the text
// as it is; one look at the few "%F_" of a format spares most passes their search.
unsigned fileVariablesIn(std::string_view text) {
  unsigned present = 0;
  for (std::size_t at = text.find(kFileVariablePrefix); at != std::string_view::npos;
       at = text.find(kFileVariablePrefix, at + 1)) {
    for (std::size_t pass = 0; pass < std::size(kFileVariables); ++pass)
      if (text.substr(at).starts_with(kFileVariables[pass])) present |= 1u << pass;
  }
  return present;
}

// The value of the variable of pass `pass` (0 to 5).
std::string fileVariableValue(std::size_t pass, std::string_view name, std::string_view extension) {
  switch (pass) {
    case 0: return std::string(name);
    case 1: return sjis::toUpper(name);
    case 2: return sjis::toLower(name);
    case 3: return std::string(extension);
    case 4: return sjis::toUpper(extension);
    default: return sjis::toLower(extension);
  }
}

// Passes 1 to 6 over `text`, `value(pass)` giving the value of a pass's variable. Most formats
// use few of the variables, so a value is made only for a variable that occurs. A pass that finds
// nothing leaves the text as it is; replaceAll would also cut it at a NUL, so a text that holds
// one is searched first.
template <typename Value>
void replaceFileVariables(std::string& text, Value value) {
  unsigned present = fileVariablesIn(text);
  for (std::size_t pass = 0; pass < std::size(kFileVariables) && present != 0; ++pass) {
    if ((present & 1u << pass) == 0) continue;
    const std::string_view variable = kFileVariables[pass];
    const bool holdsNul = text.find('\0') != std::string::npos;
    if (holdsNul && sjis::findText(text, variable) == std::string::npos) continue;
    text = sjis::replaceAll(text, variable, value(pass));
    present = fileVariablesIn(text) & ~((2u << pass) - 1);  // the later passes
  }
}

char asciiUpper(char byte) { return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 'a' + 'A') : byte; }

// Whether "%NUM%", case ignored, stands at the character boundary `at`. Its five characters are
// single bytes, so each of them starts a character of its own and compares as it is.
bool isNumberVariableAt(std::string_view text, std::size_t at) {
  if (text.size() - at < kNumberVariable.size()) return false;
  for (std::size_t i = 0; i < kNumberVariable.size(); ++i)
    if (asciiUpper(text[at + i]) != kNumberVariable[i]) return false;
  return true;
}

std::string replaceNumberVariable(std::string_view text, std::string_view numberText) {
  if (text.find('%') == std::string_view::npos) return std::string(text);
  std::string result;
  result.reserve(text.size() + numberText.size());
  std::size_t copied = 0;
  // In a text of single bytes every byte starts a character, and only a "%" can start a hit.
  const bool singleBytes = sjis::isAscii(text);
  for (std::size_t at = 0; at < text.size();) {
    if (!isNumberVariableAt(text, at)) {
      at = singleBytes ? std::min(text.find('%', at + 1), text.size()) : sjis::nextCharPos(text, at);
      continue;
    }
    result.append(text.substr(copied, at - copied));
    result.append(numberText);
    at += kNumberVariable.size();
    copied = at;
  }
  result.append(text.substr(copied));
  return result;
}

}  // namespace

NameAndExtension SplitNameAndExtension(std::string_view line) {
  const std::size_t split = extensionStart(line);
  return {std::string(line.substr(0, split)), std::string(line.substr(split))};
}

std::string RunningNumberText(std::int64_t number, int digitCount) {
  char digits[24];
  const std::size_t length = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, number).ptr - digits);
  const std::size_t width = digitCount > 0 ? std::max(length, static_cast<std::size_t>(digitCount)) : length;
  std::string text(width - length, '0');
  text.append(digits, length);
  return text;
}

std::string ExpandFormat(std::string_view format, std::string_view line, std::string_view numberText) {
  const std::size_t split = extensionStart(line);
  const std::string_view name = line.substr(0, split);
  const std::string_view extension = line.substr(std::min(split + 1, line.size()));
  std::string result(format);
  replaceFileVariables(result, [&](std::size_t pass) { return fileVariableValue(pass, name, extension); });
  return replaceNumberVariable(result, numberText);
}

namespace {

// The stand-in of slot `slot` in a template: bytes 1 to 7, which no variable holds.
char standIn(int slot) { return static_cast<char>(1 + slot); }
int slotOf(char byte) { return byte >= 1 && byte <= 7 ? byte - 1 : -1; }

// Every byte that a variable holds, "%" aside; %NUM% in either case.
constexpr std::string_view kVariableLetters = "F_NAMEXTaUnum";

bool endsOnItsOwnBoundary(std::string_view value) {
  std::size_t at = 0;
  while (at < value.size()) {
    if (sjis::isLeadByte(value[at]) && at + 1 == value.size()) return false;
    at = sjis::nextCharPos(value, at);
  }
  return true;
}

bool isVariableLetter(char byte) { return kVariableLetters.find(byte) != std::string_view::npos; }

// Whether no variable can take in `value` wherever it is filled in.
bool fillsInSafely(std::string_view value) {
  bool holdsOtherByte = false;
  bool singleBytes = true;
  for (const char byte : value) {
    if (byte == '%' || byte == '\0') return false;
    holdsOtherByte = holdsOtherByte || !isVariableLetter(byte);
    singleBytes = singleBytes && static_cast<unsigned char>(byte) < 0x80;
  }
  return holdsOtherByte && (singleBytes || endsOnItsOwnBoundary(value));  // "" holds no other byte
}

}  // namespace

PreparedFormat::PreparedFormat(std::string_view format) : m_format(format) {
  m_usable = std::none_of(format.begin(), format.end(), [](char byte) { return byte == '\0' || slotOf(byte) >= 0; });
  if (!m_usable) return;
  m_template = m_format;
  replaceFileVariables(m_template, [](std::size_t pass) { return std::string(1, standIn(static_cast<int>(pass))); });
  m_template = replaceNumberVariable(m_template, std::string(1, standIn(kNumberSlot)));
  cutTemplate();
}

void PreparedFormat::cutTemplate() {
  auto addLiteral = [&](std::size_t start, std::size_t end) {
    if (end > start) m_pieces.push_back({start, end - start, -1});
  };
  std::size_t literalStart = 0;
  for (std::size_t at = 0; at < m_template.size(); ++at) {
    const int slot = slotOf(m_template[at]);
    if (slot < 0) continue;
    addLiteral(literalStart, at);
    m_pieces.push_back({at, 1, slot});
    if (slot != kNumberSlot) m_slots |= 1u << slot;
    literalStart = at + 1;
  }
  addLiteral(literalStart, m_template.size());
}

std::string PreparedFormat::expand(std::string_view line, std::string_view numberText) const {
  if (!m_usable) return ExpandFormat(m_format, line, numberText);
  const std::size_t split = extensionStart(line);
  const std::string_view name = line.substr(0, split);
  const std::string_view extension = line.substr(std::min(split + 1, line.size()));
  std::string values[std::size(kFileVariables)];
  for (std::size_t pass = 0; pass < std::size(kFileVariables); ++pass) {
    if ((m_slots & 1u << pass) == 0) continue;
    values[pass] = fileVariableValue(pass, name, extension);
    if (!fillsInSafely(values[pass])) return ExpandFormat(m_format, line, numberText);
  }
  std::string result;
  result.reserve(m_template.size() + line.size() + numberText.size());
  for (const Piece& piece : m_pieces) {
    if (piece.slot < 0)
      result.append(m_template, piece.start, piece.length);
    else if (piece.slot == kNumberSlot)
      result.append(numberText);
    else
      result.append(values[piece.slot]);
  }
  return result;
}

}  // namespace namitra::tools
