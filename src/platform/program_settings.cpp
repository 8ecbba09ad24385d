#include "platform/program_settings.h"

#include "platform/settings_file.h"

namespace namitra::platform {
namespace {

constexpr std::string_view kOptions = "Options";
constexpr std::string_view kRegExp = "RegExp";

bool isProfileBlank(char c) { return c == ' ' || c == '\t'; }

bool needsQuotes(const std::string& value) {
  if (value.empty()) return false;
  if (isProfileBlank(value.front()) || isProfileBlank(value.back())) return true;
  return value.size() >= 2 && value.front() == '"' && value.back() == '"';
}

}  // namespace

std::string storedTabReplacement(const std::string& value) {
  return needsQuotes(value) ? '"' + value + '"' : value;
}

ProgramSettings readProgramSettings(const std::filesystem::path& settingsFile) {
  const SettingsFile file(settingsFile);
  const ProgramSettings defaults;
  ProgramSettings s;
  s.tabReplacement = file.readString(kOptions, "tab_char", defaults.tabReplacement);
  s.viewEditTools = file.readBool(kOptions, "viewEditTools", defaults.viewEditTools);
  s.matchCase = file.readBool(kRegExp, "MatchCase", defaults.matchCase);
  s.wholeWord = file.readBool(kRegExp, "WholeWord", defaults.wholeWord);
  s.regexp = file.readBool(kRegExp, "Regexp", defaults.regexp);
  s.fuzzy = file.readBool(kRegExp, "Fuzzy", defaults.fuzzy);
  return s;
}

void writeProgramSettings(const std::filesystem::path& settingsFile, const ProgramSettings& s) {
  SettingsFile file(settingsFile);
  file.writeString(kOptions, "tab_char", storedTabReplacement(s.tabReplacement));
  file.writeBool(kOptions, "viewEditTools", s.viewEditTools);
  file.writeBool(kRegExp, "MatchCase", s.matchCase);
  file.writeBool(kRegExp, "WholeWord", s.wholeWord);
  file.writeBool(kRegExp, "Regexp", s.regexp);
  file.writeBool(kRegExp, "Fuzzy", s.fuzzy);
}

}  // namespace namitra::platform
