// Format expressions: the pure operations of the format tool.
//
// A format expression is a text in which seven variables stand for parts of one line of the
// edit text and for the line's running number: %F_NAME%, %F_NAMEAA%, %F_NAMEaa% (the name part
// as it is, in upper case, in lower case), %F_EXT%, %F_EXTAA%, %F_EXTaa% (the extension without
// its dot, likewise) and %NUM% (the running number; matched in any case). The format is never
// parsed or validated: the variables are found by plain, double-byte aware substring search, one
// replace-all pass per variable in the order above, each pass over the result of the one before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::tools {

struct NameAndExtension {
  std::string name;
  std::string extension;  // from the last dot on, the dot included; empty when there is none

  friend bool operator==(const NameAndExtension&, const NameAndExtension&) = default;
};

// Splits at the last character of the line that is ".", "\" or ":"; only when that character is
// a dot is there an extension. Only whole characters count: the "\" byte that is the second half
// of a double-byte character (表 is 0x95 0x5C) is not a separator.
// "report.final.DOC" -> ("report.final", ".DOC"); "a.b\c" -> ("a.b\c", "");
// ".htaccess" -> ("", ".htaccess"); "notes." -> ("notes", ".").
NameAndExtension SplitNameAndExtension(std::string_view line);

// The number in decimal ("-" in front when negative), padded with "0" in front to at least
// `digitCount` characters, the "-" included; a longer number is never cut, and a digit count of
// 0 or less pads nothing. (7, 3) -> "007"; (1234, 2) -> "1234".
std::string RunningNumberText(std::int64_t number, int digitCount);

// The line that `format` makes of `line` with the running number `numberText`. Each pass is a
// literal replace-all from left to right that does not search again what it inserted, but
// later passes do search what earlier ones inserted: under %F_NAME% the line "%NUM%.txt"
// becomes the running number. %F_NAME% does not match inside %F_NAMEAA% (a letter, not "%",
// follows its last letter there). Case conversion keeps double-byte characters whole.
std::string ExpandFormat(std::string_view format, std::string_view line, std::string_view numberText);

// One format made ready for the many lines of the format tool: expand gives exactly what
// ExpandFormat gives, but looks at the format only once.
//
// The passes are run once over the format with stand-in values, bytes that no variable holds;
// what they leave is a template of literal pieces and value slots. Filling the slots with a
// line's values gives the passes' result whenever no pass could have found a variable that a
// value helped to form: a variable that takes in a value must hold all of it (a value with a "%"
// is never filled in), so a value with a byte that no variable holds, without NUL, and ending on
// a character boundary of its own cannot. For any other line, and a format holding NUL or a
// stand-in byte, expand runs the passes.
class PreparedFormat {
 public:
  explicit PreparedFormat(std::string_view format);

  std::string expand(std::string_view line, std::string_view numberText) const;

 private:
  static constexpr int kNumberSlot = 6;  // slots 0 to 5 are the variables of passes 1 to 6
  struct Piece {
    std::size_t start = 0;   // a literal piece of the template, or
    std::size_t length = 0;
    int slot = -1;           // the slot it is
  };

  // Cuts the template into literal pieces and slots.
  void cutTemplate();

  std::string m_format;
  std::string m_template;
  std::vector<Piece> m_pieces;
  unsigned m_slots = 0;  // one bit per file variable slot of the template
  bool m_usable = false;
};

}  // namespace namitra::tools
