// The format tool's command (actFmtExecute) over the edit text, and the reading of its two
// number boxes.
//
// Applying a format rewrites every line of the edit text, blank lines included, with
// ExpandFormat and the line's running number: the start value for the first line, one more for
// each line after it, formed in 64 bits so that a start value near the top of the 32-bit range
// goes on counting upwards. Each line is put back with `Lines` put, which keeps its line end and
// records one undo step, all inside one update bracket. The command reports one log line;
// promoting the format in the format history (ConvFmt.lst) is left to the caller, which does it
// only when the format was applied.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "editor/text_editor.h"

namespace namitra::tools {

struct RunningNumberSettings {
  std::int64_t startValue = 1;
  int digitCount = 1;
};

// The format history's file in the data folder.
inline constexpr const char* kFormatHistoryFileName = "ConvFmt.lst";

// True when `text` reads as a 32-bit signed integer: spaces in front are allowed, then an
// optional "+" or "-", then one or more decimal digits and nothing else. So "", "12a", "1 2",
// "12 " and "2147483648" do not read as integers; " 7", "+7", "-7" and "007" do.
bool readsAsInteger(std::string_view text);

// The value of a number box's text: the integer it reads as (see readsAsInteger), or `minimum`
// when it does not read as one. The box's range is not applied here: the box enforces it only
// when it is left, and the value read before that is the text's own.
std::int64_t numberBoxValue(std::string_view text, std::int64_t minimum);

struct FormatOutcome {
  std::string message;  // the one log line, Shift-JIS
  bool applied = false;
};

// Applies `format` to every line of `edit`. An empty format or an edit text without lines
// changes nothing and gives the ">> " message. A format with a line break in it turns a line
// into several; the lines after it still get the numbers of their own places.
FormatOutcome applyFormat(editor::TextEditor& edit, std::string_view format, RunningNumberSettings numbers);

}  // namespace namitra::tools
