#include "sjis/char.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace namitra::sjis {
namespace {

TEST(SjisCharTest, LeadAndTrailByteRanges) {
  struct Row {
    unsigned byte;
    bool lead;
    bool trail;
  };
  const Row rows[] = {
      {0x00, false, false}, {0x3F, false, false}, {0x40, false, true},  {0x5C, false, true},
      {0x7E, false, true},  {0x7F, false, false}, {0x80, false, true},  {0x81, true, true},
      {0x9F, true, true},   {0xA0, false, true},  {0xA1, false, true},  {0xDF, false, true},
      {0xE0, true, true},   {0xFC, true, true},   {0xFD, false, false}, {0xFF, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.byte);
    EXPECT_EQ(isLeadByte(static_cast<unsigned char>(row.byte)), row.lead);
    EXPECT_EQ(isLeadByte(static_cast<char>(row.byte)), row.lead);
    EXPECT_EQ(isTrailByte(static_cast<unsigned char>(row.byte)), row.trail);
    EXPECT_EQ(isTrailByte(static_cast<char>(row.byte)), row.trail);
  }
}

// The boundaries met by stepping through `text` from its start.
std::vector<std::size_t> boundaries(std::string_view text) {
  std::vector<std::size_t> result;
  for (std::size_t pos = 0; pos < text.size(); pos = nextCharPos(text, pos)) result.push_back(pos);
  result.push_back(text.size());
  return result;
}

// "C:\表\x.txt": the trail byte of 表 (0x95 0x5C) has the value of the backslash.
const std::string kPath = "C:\\\x95\x5C\\x.txt";

TEST(SjisCharTest, SteppingNeverStopsOnATrailByte) {
  EXPECT_EQ(boundaries(kPath), (std::vector<std::size_t>{0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_FALSE(isCharBoundary(kPath, 4));
  EXPECT_TRUE(isCharBoundary(kPath, 5));
  EXPECT_EQ(charStartAt(kPath, 4), 3u);
  EXPECT_EQ(prevCharPos(kPath, 5), 3u);
  EXPECT_EQ(prevCharPos(kPath, 3), 2u);
  EXPECT_EQ(prevCharPos(kPath, 0), 0u);
  EXPECT_EQ(charStartAt(kPath, kPath.size()), kPath.size());
}

TEST(SjisCharTest, RunOfLeadBytesPairsFromTheStart) {
  // Every byte is a lead byte: only stepping from the start tells which ones begin characters.
  const std::string text = "\x81\x81\x81\x81\x81";
  EXPECT_EQ(boundaries(text), (std::vector<std::size_t>{0, 2, 4, 5}));
  EXPECT_EQ(charLength(text, 4), 1u) << "a stray lead byte at the end is one character";
  EXPECT_EQ(prevCharPos(text, 5), 4u);
}

TEST(SjisCharTest, CharCodeAt) {
  EXPECT_EQ(charCodeAt(kPath, 0), 'C');
  EXPECT_EQ(charCodeAt(kPath, 3), 0x955C);
  EXPECT_EQ(charCodeAt("\x83", 0), 0x83) << "stray lead byte";
  EXPECT_EQ(charCodeAt("\xB1", 0), 0xB1) << "half-width katakana";
}

}  // namespace
}  // namespace namitra::sjis
