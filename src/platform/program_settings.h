// The few settings that outlive a run, and their home in the settings file.
//
// The settings file is named after the executable with its extension replaced by ".ini" and
// lives in the data folder. It holds the tab replacement (section Options, key tab_char), whether
// the edit tool pane is shown (Options/viewEditTools) and the four search options (section RegExp:
// MatchCase, WholeWord, Regexp, Fuzzy). Reading never fails: a missing file or key, or a value
// that is no number, gives the default. Writing goes key by key in that order and throws
// StoredFileError at the first key that cannot be written; other content of the file is kept.
#pragma once

#include <filesystem>
#include <string>

namespace namitra::platform {

struct ProgramSettings {
  std::string tabReplacement = " ";
  bool viewEditTools = true;
  bool matchCase = false;
  bool wholeWord = false;
  bool regexp = true;
  bool fuzzy = false;

  friend bool operator==(const ProgramSettings&, const ProgramSettings&) = default;
};

ProgramSettings readProgramSettings(const std::filesystem::path& settingsFile);
void writeProgramSettings(const std::filesystem::path& settingsFile, const ProgramSettings& settings);

// The profile reader drops blanks around a value and one pair of enclosing quotation marks, so a
// tab replacement with leading or trailing blanks would not survive a restart. Such a value (and
// one that is itself enclosed in quotation marks) is written enclosed in quotation marks, which
// the reader removes again; any other value is written as it is.
std::string storedTabReplacement(const std::string& value);

}  // namespace namitra::platform
