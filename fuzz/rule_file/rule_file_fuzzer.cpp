// Fuzz target for the rule files: arbitrary bytes as a rule file.
//
// The text ends at its first NUL; each line must become one rule, split at its first "=", whose
// stored line is the line read. Writing the rules must give every line followed by CR LF, and
// reading that back the same rules.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/rule_file.h"

using namespace namitra;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto path = fuzz::scratch().write("rules.rl", bytes);
  const auto rules = platform::readRuleFile(path);
  require(rules.has_value());

  const std::vector<std::string> lines = fuzz::referenceLines(bytes.substr(0, bytes.find('\0')));
  require(rules->size() == lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const platform::Rule& rule = (*rules)[i];
    require(rule.line() == lines[i]);
    const std::size_t equals = lines[i].find('=');
    require(rule.hasSeparator == (equals != std::string::npos));
    require(rule.key == (rule.hasSeparator ? lines[i].substr(0, equals) : std::string()));
    require(rule.applies() == !rule.key.empty());
  }

  platform::writeRuleFile(path, *rules);
  std::string expected;
  for (const std::string& line : lines) expected += line + "\r\n";
  require(fuzz::ScratchFolder::read(path) == expected);
  require(platform::readRuleFile(path) == rules);
  return 0;
}
