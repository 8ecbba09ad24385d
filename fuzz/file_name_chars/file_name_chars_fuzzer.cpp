// Fuzz target for the table of characters not allowed in file names (ValidFileNameChar.rld)
// and its use on the edit text when leaving the edit page.
//
// Input layout: byte 0 holds the switches (bit 0: a table file is there, bit 1: a folder stands
// at its path), then the table file and the tab replacement (each a piece whose length is its
// first byte), then the rest as the edit text. The table read must be the built-in one when no
// file is there, and cleaning the text must give what a plain character-by-character replace
// loop gives: every rule's key in table order, then the tabs, each match starting on a character
// boundary, the inserted value never searched again, the text cut at its first NUL.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "platform/rule_file.h"
#include "rename/name_round_trip.h"
#include "sjis/char.h"

namespace {

using namespace namitra;
using fuzz::require;

// A key whose last character is a lead byte standing alone can end inside a character of the
// text; where the search goes on after such a match is the implementation's choice.
bool endsInStrayLeadByte(std::string_view key) {
  std::size_t last = 0;
  for (std::size_t at = 0; at < key.size(); at = sjis::nextCharPos(key, at)) last = at;
  return !key.empty() && sjis::isLeadByte(key[last]) && last + 1 == key.size();
}

std::string referenceReplace(std::string_view text, std::string_view key, std::string_view value) {
  std::string result;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text.substr(at).starts_with(key)) {
      result += value;
      at += key.size();
      continue;
    }
    const std::size_t next = sjis::nextCharPos(text, at);
    result.append(text.substr(at, next - at));
    at = next;
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputReader input(data, size);
  const std::uint8_t switches = input.byte();
  const std::string_view tableBytes = input.piece();
  const std::string_view tabReplacement = input.piece(16);
  const std::string_view text = input.rest();

  const auto& scratch = fuzz::scratch();
  scratch.remove(platform::kFileNameCharTableFileName);
  if ((switches & 2) != 0) std::filesystem::create_directory(scratch.file(platform::kFileNameCharTableFileName));
  else if ((switches & 1) != 0) scratch.write(platform::kFileNameCharTableFileName, tableBytes);
  const std::vector<platform::Rule> table =
      platform::readFileNameCharTable(scratch.file(platform::kFileNameCharTableFileName));
  if ((switches & 3) != 1) require(table == platform::builtInFileNameCharTable());
  else require(table == platform::parseRules(tableBytes));

  const std::string cleaned = rename::cleanNames(text, table, tabReplacement);
  std::string expected(text.substr(0, text.find('\0')));
  for (const platform::Rule& rule : table) {
    if (!rule.applies()) continue;
    if (endsInStrayLeadByte(rule.key)) return 0;
    expected = referenceReplace(expected, rule.key, rule.value);
  }
  expected = referenceReplace(expected, "\t", tabReplacement);
  require(cleaned == expected);
  return 0;
}
