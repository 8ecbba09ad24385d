#include "platform/rule_file.h"

#include "platform/file_system.h"
#include "platform/text_file.h"

namespace namitra::platform {

Rule Rule::fromLine(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return Rule{{}, std::string(line), false};
  return Rule{std::string(line.substr(0, equals)), std::string(line.substr(equals + 1)), true};
}

std::string Rule::line() const { return hasSeparator ? key + "=" + value : value; }

std::vector<Rule> parseRules(std::string_view text) {
  std::vector<Rule> rules;
  for (const std::string& line : splitLines(text, true)) rules.push_back(Rule::fromLine(line));
  return rules;
}

std::optional<std::vector<Rule>> readRuleFile(const std::filesystem::path& path) {
  auto text = readWholeFileStrict(path, kStoredFileSizeLimit);
  if (!text) return std::nullopt;
  return parseRules(*text);
}

void writeRuleFile(const std::filesystem::path& path, const std::vector<Rule>& rules) {
  std::vector<std::string> lines;
  lines.reserve(rules.size());
  for (const Rule& rule : rules) lines.push_back(rule.line());
  writeWholeFile(path, joinLinesCrLf(lines));
}

std::vector<Rule> builtInFileNameCharTable() {
  std::vector<Rule> rules;
  for (const char* key : {"\\", "/", ":", "*", "?", "\"", "<", ">", "|"}) rules.push_back(Rule{key, "", true});
  return rules;
}

std::vector<Rule> readFileNameCharTable(const std::filesystem::path& path) {
  if (!fileExists(path)) return builtInFileNameCharTable();
  return readRuleFile(path).value_or(builtInFileNameCharTable());
}

}  // namespace namitra::platform
