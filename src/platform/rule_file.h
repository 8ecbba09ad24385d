// Rule files: the replacement-character table ValidFileNameChar.rld and the batch-replace
// rule files *.rl share one format of "key=value" lines.
//
// Code page 932 text, one rule per line, CR LF after every line; on reading, CR LF, a lone CR
// and a lone LF end a line, a final line without a line end is a line, and a NUL byte ends the
// text. The key is the text before the first "=" and the value everything after it, blanks
// included. A line without "=" (or one starting with "=") has an empty key: it is kept and
// written back unchanged, but never applied. "=" is never a trail byte, so the byte search for
// it cannot hit the middle of a double-byte character.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::platform {

struct Rule {
  std::string key;
  std::string value;
  bool hasSeparator = true;  // false for a line without "=" (then `value` holds the whole line)

  static Rule fromLine(std::string_view line);
  // The line as stored: gives back exactly the line it was read from.
  std::string line() const;
  bool applies() const { return !key.empty(); }

  friend bool operator==(const Rule&, const Rule&) = default;
};

// The rules of the file; nullopt when nothing is there. A folder at the path is not a rule file
// and throws StoredFileError, as does a file that cannot be read (a caller that treats a folder
// as missing, as start-up does for ValidFileNameChar.rld, tests fileExists first).
std::optional<std::vector<Rule>> readRuleFile(const std::filesystem::path& path);

// Creates or overwrites the file with every rule's line and CR LF. Throws StoredFileError.
void writeRuleFile(const std::filesystem::path& path, const std::vector<Rule>& rules);

// The rules of a text in the format above (for a file already read).
std::vector<Rule> parseRules(std::string_view text);

// The built-in table of characters not allowed in file names: \ / : * ? " < > | in this order,
// each replaced by nothing.
std::vector<Rule> builtInFileNameCharTable();

// The stored table of characters not allowed in file names, in the data folder.
inline constexpr const char* kFileNameCharTableFileName = "ValidFileNameChar.rld";

// The table stored at `path` when a file exists there (a folder does not count), else the
// built-in table. Throws StoredFileError when the file exists but cannot be read.
std::vector<Rule> readFileNameCharTable(const std::filesystem::path& path);

}  // namespace namitra::platform
