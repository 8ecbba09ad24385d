// What namitra-cli prints without --execute: the plan, one row per line.
//
// The plan for people shows each row's full current path and its planned name, in the
// terminal's UTF-8 (a raw byte of a name as "\xNN"), and marks the rows whose name stays:
//   /photos/a.jpg -> photo1.jpg
//   /photos/photo2.jpg (unchanged)
// The porcelain plan is for scripts: exactly FOLDER+CURRENT, a tab, FOLDER+PLANNED and a line
// feed per row, each path in the bytes the file system has for it, and nothing else. A path
// holding a tab or a line break could not be told apart in such lines; `firstPathUnfitForLines`
// finds it so that the command can refuse instead of printing something ambiguous.
#pragma once

#include "platform/name_codec.h"
#include "rename/file_list.h"

#include <optional>
#include <string>

namespace namitra::cli {

std::string planText(const rename::FileList& list, const platform::NameCodec& codec);
std::string porcelainText(const rename::FileList& list, const platform::NameCodec& codec);

// True when `text` (native or the program's) holds no tab, CR or LF, so that it fits a
// tab-separated line.
bool fitsTabSeparatedLine(std::string_view text);

// The first full path (current or planned, native bytes) that does not fit a tab-separated
// line, or nullopt.
std::optional<std::string> firstPathUnfitForLines(const rename::FileList& list, const platform::NameCodec& codec);

}  // namespace namitra::cli
