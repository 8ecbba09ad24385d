#include "editor/columns.h"

#include <gtest/gtest.h>

#include "editor/row.h"
#include "editor_test_util.h"

namespace namitra::editor {
namespace {

using testing::kA;
using testing::kTrailA;

TEST(ColumnsTest, DoubleByteCharactersTakeTwoColumnsAndTabsReachTheNextStop) {
  std::string text = "a" + kA + "\tb";  // a, あ on 1-2, the tab on 3-7, b on 8
  EXPECT_EQ(columnAt(text, 1), 1);
  EXPECT_EQ(columnAt(text, 3), 3);
  EXPECT_EQ(columnAt(text, 4), 8);
  EXPECT_EQ(rowWidth(text), 9);
  EXPECT_EQ(rowWidth("\t\t"), 16);
  EXPECT_EQ(rowWidth("1234567\t"), 8);
}

TEST(ColumnsTest, AColumnInsideACharacterFallsToItsStart) {
  std::string text = "a" + kTrailA + "\tb";
  struct Case { int column; std::size_t floor; std::size_t ceil; };
  for (Case c : {Case{0, 0, 0}, Case{1, 1, 1}, Case{2, 1, 3}, Case{3, 3, 3}, Case{5, 3, 4},
                 Case{8, 4, 4}, Case{9, 5, 5}, Case{40, 5, 5}}) {
    EXPECT_EQ(byteAtColumn(text, c.column), c.floor) << "column " << c.column;
    EXPECT_EQ(byteAtOrAfterColumn(text, c.column), c.ceil) << "column " << c.column;
  }
}

TEST(ColumnsTest, LeadingBlanksCountTabsAndSpacesOnly) {
  EXPECT_EQ(leadingBlankWidth("  \tx "), 8);
  EXPECT_EQ(leadingBlankWidth("x  "), 0);
  EXPECT_EQ(leadingBlankWidth("\x81\x40x"), 0);  // the full-width blank is no indentation
}

TEST(RowTest, SplitLinesBreaksAtEveryKindOfLineEndButNotAfterTheLast) {
  using Lines = std::vector<std::string_view>;
  EXPECT_EQ(splitLines(""), Lines{});
  EXPECT_EQ(splitLines("a"), Lines{"a"});
  EXPECT_EQ(splitLines("a\r\n"), Lines{"a"});
  EXPECT_EQ(splitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(splitLines("\n\r"), (Lines{"", ""}));  // LF, then a lone CR: two breaks
  EXPECT_EQ(splitLines("\r\n\r\n"), (Lines{"", ""}));
}

}  // namespace
}  // namespace namitra::editor
