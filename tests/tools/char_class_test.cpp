#include "tools/char_class.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sjis/codec.h"

namespace namitra::tools {
namespace {

struct ClassCase {
  const char* name;
  std::string text;
  int position;
  int expected;
};

std::string bytes(std::initializer_list<unsigned char> values) {
  return std::string(values.begin(), values.end());
}

std::string dbcs(unsigned code) { return bytes({static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code)}); }

// Each class edge with the characters on both of its sides.
const std::vector<ClassCase> kSingleByteCases = {
    {"nul", bytes({0x00}), 1, 0},          {"soh", bytes({0x01}), 1, 1},
    {"backspace", bytes({0x08}), 1, 1},    {"tab", "\t", 1, 0},
    {"lf", "\n", 1, 0},                    {"vt", bytes({0x0B}), 1, 1},
    {"cr", "\r", 1, 0},                    {"unit separator", bytes({0x1F}), 1, 1},
    {"blank", " ", 1, 0},                  {"comma", ",", 1, 0},
    {"hyphen-minus", "-", 1, 1},           {"full stop", ".", 1, 0},
    {"slash", "/", 1, 0},                  {"digit 0", "0", 1, 1},
    {"digit 9", "9", 1, 1},                {"colon", ":", 1, 0},
    {"at sign", "@", 1, 0},                {"A", "A", 1, 1},
    {"Z", "Z", 1, 1},                      {"left bracket", "[", 1, 0},
    {"underscore", "_", 1, 0},             {"grave", "`", 1, 0},
    {"a", "a", 1, 1},                      {"z", "z", 1, 1},
    {"left brace", "{", 1, 0},             {"tilde", "~", 1, 0},
    {"delete", bytes({0x7F}), 1, 1},       {"0x80", bytes({0x80}), 1, 0},
    {"0xA0", bytes({0xA0}), 1, 0},         {"half-width full stop", bytes({0xA1}), 1, 0},
    {"half-width brackets", bytes({0xA2}), 1, 2}, {"half-width bracket close", bytes({0xA3}), 1, 2},
    {"half-width comma", bytes({0xA4}), 1, 0},    {"half-width middle dot", bytes({0xA5}), 1, 0},
    {"half-width wo", bytes({0xA6}), 1, 2},       {"half-width semi-voiced mark", bytes({0xDF}), 1, 2},
    {"0xFD", bytes({0xFD}), 1, 0},         {"0xFF", bytes({0xFF}), 1, 0},
    {"stray lead byte at the end", bytes({0x82}), 1, 0},
};

const std::vector<ClassCase> kDoubleByteCases = {
    {"ideographic space", dbcs(0x8140), 1, 0}, {"long-vowel mark", dbcs(0x815B), 1, 0},
    {"below full-width digits", dbcs(0x824E), 1, 0},
    {"full-width 0", dbcs(0x824F), 1, 3},      {"full-width z", dbcs(0x829A), 1, 3},
    {"between z and hiragana", dbcs(0x829B), 1, 0}, {"below hiragana", dbcs(0x829E), 1, 0},
    {"small a", dbcs(0x829F), 1, 5},           {"n", dbcs(0x82F1), 1, 5},
    {"after n", dbcs(0x82F2), 1, 0},           {"below katakana", dbcs(0x833F), 1, 0},
    {"small katakana a", dbcs(0x8340), 1, 4},  {"small ke", dbcs(0x8396), 1, 4},
    {"after small ke", dbcs(0x8397), 1, 0},    {"Greek alpha", dbcs(0x839F), 1, 0},
    {"last code before kanji", dbcs(0x889E), 1, 0}, {"first kanji", dbcs(0x889F), 1, 6},
    {"late kanji", dbcs(0xEAA4), 1, 6},        {"user area", dbcs(0xF040), 1, 6},
};

TEST(CharClassAt, SingleByteCharacters) {
  for (const ClassCase& c : kSingleByteCases)
    EXPECT_EQ(CharClassAt(c.text, c.position), c.expected) << c.name;
}

TEST(CharClassAt, DoubleByteCharactersGiveTheSameClassOnBothBytes) {
  for (const ClassCase& c : kDoubleByteCases) {
    EXPECT_EQ(CharClassAt(c.text, 1), c.expected) << c.name << " lead byte";
    EXPECT_EQ(CharClassAt(c.text, 2), c.expected) << c.name << " trail byte";
  }
}

TEST(CharClassAt, ATrailByteIsNeverReadAsALetter) {
  // "ア" is 0x83 0x41: its second byte is the letter A.
  const std::string text = "x" + sjis::fromUtf8("ア") + "A";
  EXPECT_EQ(CharClassAt(text, 1), 1);
  EXPECT_EQ(CharClassAt(text, 2), 4);
  EXPECT_EQ(CharClassAt(text, 3), 4);
  EXPECT_EQ(CharClassAt(text, 4), 1);
}

TEST(CharClassAt, PositionsOutsideTheTextAreDelimiters) {
  const std::string text = "ab";
  EXPECT_EQ(CharClassAt(text, 0), 0);
  EXPECT_EQ(CharClassAt(text, -1), 0);
  EXPECT_EQ(CharClassAt(text, 3), 0);
  EXPECT_EQ(CharClassAt("", 1), 0);
}

}  // namespace
}  // namespace namitra::tools
