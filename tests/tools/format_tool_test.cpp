#include "tools/format_tool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/tool_messages.h"

namespace namitra::tools {
namespace {

struct NumberBoxRow {
  const char* text;
  bool readsAsInteger;
  std::int64_t value;  // with minimum 1
};

TEST(NumberBox, ReadsThe32BitIntegersAndGivesTheMinimumForEverythingElse) {
  const NumberBoxRow rows[] = {
      {"12", true, 12},
      {"007", true, 7},
      {" 7", true, 7},
      {"+7", true, 7},
      {"-7", true, -7},
      {"0", true, 0},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483648LL},
      {"", false, 1},
      {"   ", false, 1},
      {"12a", false, 1},
      {"1 2", false, 1},
      {"12 ", false, 1},
      {"+", false, 1},
      {"-", false, 1},
      {"+-1", false, 1},
      {"0x10", false, 1},
      {"2147483648", false, 1},
      {"-2147483649", false, 1},
      {"99999999999999999999", false, 1},
  };
  for (const NumberBoxRow& row : rows) {
    SCOPED_TRACE(std::string("\"") + row.text + "\"");
    EXPECT_EQ(readsAsInteger(row.text), row.readsAsInteger);
    EXPECT_EQ(numberBoxValue(row.text, 1), row.value);
  }
  EXPECT_EQ(numberBoxValue("", 0), 0);
}

class ApplyFormat : public ::testing::Test {
 protected:
  FormatOutcome apply(std::string_view format, std::int64_t start, int digits) {
    return applyFormat(edit, format, {start, digits});
  }
  editor::TextEditor edit;
};

TEST_F(ApplyFormat, WorkedExample) {
  edit.setText("photo.JPG\r\nscan.Png\r\n");
  const FormatOutcome outcome = apply("IMG_%NUM%.%F_EXTaa%", 7, 3);
  EXPECT_EQ(edit.text(), "IMG_007.jpg\r\nIMG_008.png\r\n");
  EXPECT_EQ(outcome.message, text::kFormatApplied);
  EXPECT_TRUE(outcome.applied);
}

TEST_F(ApplyFormat, EveryLineIsRewrittenAndKeepsItsLineEnd) {
  edit.setText("a.txt\r\n\r\nb");  // a blank line, and a last line without a line break
  apply("%NUM%-%F_NAME%", 1, 1);
  EXPECT_EQ(edit.text(), "1-a\r\n2-\r\n3-b");
}

struct NumberingRow {
  const char* name;
  std::int64_t start;
  int digits;
  int lines;
  std::vector<std::string> numbers;
};

TEST_F(ApplyFormat, NumbersCountUpFromTheStartValue) {
  const NumberingRow rows[] = {
      {"padding grows into a fourth digit", 98, 4, 3, {"0098", "0099", "0100"}},
      {"one digit grows into two", 9, 1, 2, {"9", "10"}},
      // Formed in 64 bits: the count goes on past the top of the start value's range.
      {"past 2147483647", 2147483647, 1, 3, {"2147483647", "2147483648", "2147483649"}},
  };
  for (const NumberingRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::string text;
    for (int i = 0; i < row.lines; ++i) text += "x\r\n";
    edit.setText(text);
    apply("%NUM%", row.start, row.digits);
    ASSERT_EQ(edit.lineCount(), row.lines);
    for (int i = 0; i < row.lines; ++i) EXPECT_EQ(edit.line(i), row.numbers[i]);
  }
}

TEST_F(ApplyFormat, NothingToDoChangesNothing) {
  edit.setText("a.txt\r\n");
  FormatOutcome outcome = apply("", 1, 1);
  EXPECT_EQ(outcome.message, text::kNoFormatExpression);
  EXPECT_FALSE(outcome.applied);
  EXPECT_EQ(edit.text(), "a.txt\r\n");

  edit.setText("");
  outcome = apply("%NUM%", 1, 1);
  EXPECT_EQ(outcome.message, text::kNothingInFileList);
  EXPECT_FALSE(outcome.applied);
  EXPECT_EQ(edit.lineCount(), 0);

  // The empty format is reported first.
  EXPECT_EQ(apply("", 1, 1).message, text::kNoFormatExpression);
}

TEST_F(ApplyFormat, OneUndoStepPerLineAndOneRepaint) {
  edit.setText("a\r\nb\r\nc\r\n");
  int notifications = 0;
  edit.setChangeListener([&](unsigned) { ++notifications; });
  apply("%F_NAME%%NUM%", 1, 1);
  EXPECT_EQ(notifications, 1);
  edit.Undo();
  EXPECT_EQ(edit.text(), "a1\r\nb2\r\nc\r\n");
  edit.Undo();
  edit.Undo();
  EXPECT_EQ(edit.text(), "a\r\nb\r\nc\r\n");
  EXPECT_FALSE(edit.CanUndo());
}

TEST_F(ApplyFormat, LineBreakInTheFormatMakesEachLineTwoAndEndsAfterTheLastLine) {
  edit.setText("x\r\ny\r\n");
  apply("%NUM%\r\n%F_NAME%", 1, 1);
  EXPECT_EQ(edit.text(), "1\r\nx\r\n2\r\ny\r\n");
}

}  // namespace
}  // namespace namitra::tools
