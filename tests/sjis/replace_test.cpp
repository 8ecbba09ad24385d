#include "sjis/replace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sjis/char.h"

namespace namitra::sjis {
namespace {

using namespace std::string_literals;

struct ReplaceRow {
  const char* name;
  std::string text;
  std::string find;
  std::string value;
  std::string expected;
};

TEST(SjisReplaceTest, ReplaceAll) {
  const ReplaceRow rows[] = {
      {"every occurrence", "a_b_c", "_", " ", "a b c"},
      {"deleting", "(1)x(1)", "(1)", "", "x"},
      {"no overlaps, left to right", "aaa", "aa", "x", "xa"},
      {"inserted value not searched again", "ab", "a", "aa", "aab"},
      {"value containing the key", "a.a", "a", "<a>", "<a>.<a>"},
      {"no match", "abc", "z", "y", "abc"},
      {"not inside ア (0x83 0x41)", "\x83\x41" "A", "A", "b", "\x83\x41" "b"},
      {"backslash not inside 表 (0x95 0x5C)", "C:\\\x95\x5C\\x", "\\", "/", "C:/\x95\x5C/x"},
      {"double-byte key", "\x95\x5C\x95\x5C", "\x95\x5C", "z", "zz"},
      {"candidate on a trail byte, real match after it", "\x83\x41\x41", "\x41\x41", "z",
       "\x83\x41\x41"},
      {"lead bytes in a row pair from the start", "\x81\x81\x81\x81", "\x81\x81", "z", "zz"},
      {"text ends at its first NUL", "ab\0ab"s, "b", "x", "ax"},
      {"empty find keeps text up to NUL", "ab\0cd"s, "", "x", "ab"},
      {"empty text", "", "a", "b", ""},
  };
  for (const ReplaceRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(replaceAll(row.text, row.find, row.value), row.expected);
  }
}

TEST(SjisReplaceTest, RulesChain) {
  EXPECT_EQ(replaceAll(replaceAll("ab", "a", "b"), "b", "c"), "cc");
}

TEST(SjisReplaceTest, FindText) {
  const std::string text = "\x83\x41" "A\x83\x41" "A";  // アAアA
  EXPECT_EQ(findText(text, "A"), 2u);
  EXPECT_EQ(findText(text, "A", 3), 5u);
  EXPECT_EQ(findText(text, "A", 6), std::string::npos);
  EXPECT_EQ(findText(text, "\x83\x41", 2), 3u);
  EXPECT_EQ(findText(text, "", 3), 3u);
  EXPECT_EQ(findText(text, "x"), std::string::npos);
  EXPECT_EQ(findText(text, "A", 99), std::string::npos);
}

// A plain reference: try every character boundary in turn.
std::string referenceReplaceAll(const std::string& text, const std::string& find,
                                const std::string& value) {
  std::string result;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text.compare(pos, find.size(), find) == 0) {
      result += value;
      pos += find.size();
      continue;
    }
    const std::size_t next = nextCharPos(text, pos);
    result.append(text, pos, next - pos);
    pos = next;
  }
  return result;
}

// Every text of up to six bytes over an alphabet of a lead byte, a byte that is both ASCII and
// a trail byte, and a plain letter, against every key of one or two characters of it.
TEST(SjisReplaceTest, AgreesWithReferenceOnEveryShortText) {
  const char alphabet[] = {'\x83', 'A', 'x'};
  std::vector<std::string> texts{""};
  for (std::size_t i = 0; i < texts.size() && texts[i].size() < 6; ++i)
    for (char c : alphabet) texts.push_back(texts[i] + c);
  const std::string keys[] = {"A", "x", "AA", "Ax", "\x83" "A", "\x83\x83", "xA"};
  for (const std::string& text : texts)
    for (const std::string& key : keys)
      ASSERT_EQ(replaceAll(text, key, "#"), referenceReplaceAll(text, key, "#"))
          << "text " << testing::PrintToString(text) << " key " << testing::PrintToString(key);
}

}  // namespace
}  // namespace namitra::sjis
