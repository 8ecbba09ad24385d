// The steps, their order and the round trip back to the rows, seen through the plan that
// namitra-cli prints without --execute (which needs no files on disk).
#include "cli_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace namitra::cli::testing {
namespace {

class StepsTest : public CliTest {
 protected:
  // The planned names (without folder) of `names` after `steps`, from the porcelain plan.
  std::vector<std::string> planned(std::vector<std::string> steps, const std::vector<std::string>& names) const {
    steps.push_back("--porcelain");
    steps.push_back("--");
    steps.insert(steps.end(), names.begin(), names.end());
    const CliResult result = run(steps);
    EXPECT_EQ(result.status, 0) << result;
    EXPECT_EQ(result.err, "") << result;
    std::vector<std::string> found;
    std::size_t start = 0;
    while (start < result.out.size()) {
      const std::size_t end = result.out.find('\n', start);
      const std::string line = result.out.substr(start, end - start);
      found.push_back(line.substr(line.rfind('/') + 1));
      start = end + 1;
    }
    return found;
  }
};

struct StepCase {
  const char* name;
  std::vector<std::string> steps;
  std::vector<std::string> names;
  std::vector<std::string> expected;
};

void PrintTo(const StepCase& each, std::ostream* out) { *out << each.name; }

// Each step with the settings that shape it, and the order in which steps and settings apply.
const StepCase kStepCases[] = {
    {"format_with_digits", {"--digits", "3", "--format", "photo%NUM%.%F_EXT%"}, {"a.jpg", "b.png"},
     {"photo001.jpg", "photo002.png"}},
    {"format_start_and_case_variables", {"--start", "98", "--digits", "4", "--format", "%NUM%_%F_NAMEaa%.%F_EXTAA%"},
     {"Ab.jpg", "C.Png", "d"}, {"0098_ab.JPG", "0099_c.PNG", "0100_d."}},
    {"format_without_variables", {"--format", "x"}, {"a", "b"}, {"x", "x"}},
    {"rule", {"--rule", "IMG_=photo-"}, {"IMG_1.jpg", "x.jpg"}, {"photo-1.jpg", "x.jpg"}},
    {"rule_key_ends_at_first_equals", {"--rule", "a=b=c"}, {"a.txt"}, {"b=c.txt"}},
    {"rule_with_empty_value_deletes", {"--rule", "copy of ="}, {"copy of a.txt"}, {"a.txt"}},
    {"rule_is_case_sensitive", {"--rule", "jpg=png"}, {"a.JPG"}, {"a.JPG"}},
    {"replace_regexp_by_default", {"--replace", "[0-9]+", "N"}, {"a12b3.txt"}, {"aNbN.txt"}},
    {"replace_literal", {"--literal", "--replace", ".", "_"}, {"a.b.txt"}, {"a_b_txt"}},
    {"replace_ignores_case_by_default", {"--replace", "jpg", "png"}, {"A.JPG"}, {"A.png"}},
    {"replace_match_case", {"--match-case", "--replace", "jpg", "png"}, {"A.JPG", "b.jpg"}, {"A.JPG", "b.png"}},
    {"replace_whole_word", {"--literal", "--whole-word", "--replace", "cat", "dog"}, {"cat.txt", "cats.txt"},
     {"dog.txt", "cats.txt"}},
    {"whole_word_has_no_effect_on_regexp", {"--whole-word", "--replace", "cat", "dog"}, {"cats.txt"}, {"dogs.txt"}},
    {"replace_fuzzy", {"--fuzzy", "--replace", "か", "ka"}, {"カメラ.jpg"}, {"kaメラ.jpg"}},
    {"fuzzy_has_no_effect_on_literal", {"--literal", "--fuzzy", "--replace", "か", "ka"}, {"カメラ.jpg"}, {"カメラ.jpg"}},
    {"replacement_is_literal", {"--replace", "(a)", "$1&"}, {"a"}, {"$1&"}},
    {"replace_with_nothing", {"--replace", "^tmp_", ""}, {"tmp_a"}, {"a"}},
    {"rules_chain_in_order", {"--rule", "a=b", "--rule", "b=c"}, {"ab"}, {"cc"}},
    {"rules_in_the_other_order", {"--rule", "b=c", "--rule", "a=b"}, {"ab"}, {"bc"}},
    {"format_then_replace", {"--format", "%F_NAME%-%NUM%", "--replace", "-1$", "-one"}, {"x"}, {"x-one"}},
    {"replace_then_format", {"--replace", "x", "y", "--format", "%F_NAME%-%NUM%"}, {"x"}, {"y-1"}},
    {"start_given_later_is_for_later_formats", {"--format", "%NUM%-%F_NAME%", "--start", "5", "--format", "%NUM%_%F_NAME%"},
     {"x"}, {"5_1-x"}},
    {"search_options_given_later_are_for_later_replaces",
     {"--match-case", "--replace", "A", "1", "--literal", "--replace", ".", "_"}, {"aA.x"}, {"a1_x"}},
    {"equals_form_of_an_option", {"--digits=2", "--format=%NUM%"}, {"a"}, {"01"}},
    {"japanese_format", {"--format", "写真%NUM%_%F_NAME%.%F_EXT%"}, {"表.jpg"}, {"写真1_表.jpg"}},
    {"japanese_rule", {"--rule", "写真=しゃしん"}, {"写真.jpg"}, {"しゃしん.jpg"}},
    {"upper_case_keeps_double_byte_characters", {"--format", "%F_NAMEAA%"}, {"ｆｏｏソ表x"}, {"ＦＯＯソ表X"}},
};

class StepCases : public StepsTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(StepCases, PlansTheNamesTheWindowWould) {
  EXPECT_EQ(planned(GetParam().steps, GetParam().names), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cli, StepCases, ::testing::ValuesIn(kStepCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StepsTest, PathsMayStandAnywhereBeforeTheDoubleDash) {
  const CliResult result = run({"a1", "--rule", "a=b", "a2", "--porcelain", "--", "--a3"});
  ASSERT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.out, path("a1") + "\t" + path("b1") + "\n" + path("a2") + "\t" + path("b2") + "\n" + path("--a3") +
                            "\t" + path("--b3") + "\n");
}

TEST_F(StepsTest, RulesFileAppliesEveryRuleInFileOrder) {
  // Shift-JIS, a last line without line end, and a line without "=" that is never applied.
  writeBytes(folder() / "names.rl", sjis("写真=photo\r\n_= \r\nno separator\r\nphoto .=P."));
  EXPECT_EQ(planned({"--rules", "names.rl"}, {"写真_1.jpg", "写真 .jpg"}), (std::vector<std::string>{"photo 1.jpg", "P.jpg"}));
}

TEST_F(StepsTest, NamesFromReplacesTheWholeText) {
  writeBytes(folder() / "names.txt", "first.txt\r\n写真.jpg\n");
  EXPECT_EQ(planned({"--rule", "a=b", "--names-from", "names.txt"}, {"a", "b"}),
            (std::vector<std::string>{"first.txt", "写真.jpg"}));
  // A byte order mark is not part of the first name; later steps work on the new text.
  writeBytes(folder() / "bom.txt", "\xEF\xBB\xBFone\ntwo");
  EXPECT_EQ(planned({"--names-from", "bom.txt", "--format", "%F_NAME%%NUM%"}, {"a", "b"}),
            (std::vector<std::string>{"one1", "two2"}));
}

TEST_F(StepsTest, LeavingTheTextAppliesTheBuiltInTableAndTheTabRule) {
  writeBytes(folder() / "names.txt", "a\\b/c:d*e?f\"g<h>i|j.txt\nx\ty\n");
  EXPECT_EQ(planned({"--names-from", "names.txt"}, {"1", "2"}), (std::vector<std::string>{"abcdefghij.txt", "x y"}));
}

TEST_F(StepsTest, LeavingTheTextAppliesTheTablesOfTheDataFolder) {
  writeBytes(dataFolder() / "ValidFileNameChar.rld", ":=-\r\n");
  writeBytes(dataFolder() / "namitra.ini", "[Options]\r\ntab_char=\"_\"\r\n");
  writeBytes(folder() / "names.txt", "a:b?\nx\ty\n");
  EXPECT_EQ(planned({"--names-from", "names.txt"}, {"1", "2"}), (std::vector<std::string>{"a-b?", "x_y"}));
  // --data-dir chooses another folder: there the built-in table holds again.
  std::filesystem::create_directory(folder() / "other");
  EXPECT_EQ(planned({"--data-dir", "other", "--names-from", "names.txt"}, {"1", "2"}),
            (std::vector<std::string>{"ab", "x y"}));
}

TEST_F(StepsTest, LineCountMustMatchTheRows) {
  struct {
    const char* names;
    const char* expected;
  } cases[] = {
      {"one\n", "namitra-cli: the text has 1 line for 2 rows; the planned names need one line per row\n"},
      {"one\ntwo\nthree\n", "namitra-cli: the text has 3 lines for 2 rows; the planned names need one line per row\n"},
      {"", "namitra-cli: the text has 0 lines for 2 rows; the planned names need one line per row\n"},
  };
  for (const auto& each : cases) {
    writeBytes(folder() / "names.txt", each.names);
    const CliResult result = run({"--names-from", "names.txt", "a", "b"});
    EXPECT_EQ(result.status, 2) << result;
    EXPECT_EQ(result.err, each.expected);
    EXPECT_EQ(result.out, "");
  }
}

TEST_F(StepsTest, PorcelainIsExactlyTheFullPathsByteForByte) {
  const CliResult result = run({"--rule", "a.txt=b.txt", "--rule", "写真=しゃしん", "--porcelain", "a.txt", "写真.jpg",
                                "same.txt", "sub/dir/c.txt"});
  ASSERT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, path("a.txt") + "\t" + path("b.txt") + "\n" +            //
                            path("写真.jpg") + "\t" + path("しゃしん.jpg") + "\n" +  //
                            path("same.txt") + "\t" + path("same.txt") + "\n" +    //
                            path("sub/dir/c.txt") + "\t" + path("sub/dir/c.txt") + "\n");
}

TEST_F(StepsTest, PlanForPeopleMarksUnchangedRows) {
  const CliResult result = run({"--rule", "a=b", "/abs/a.txt", "c.txt"});
  ASSERT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.out, "/abs/a.txt -> b.txt\n" + path("c.txt") + " (unchanged)\n");
}

TEST_F(StepsTest, NamesOutsideCodePage932SurviveAndTakePartInSteps) {
  // é and the WAVE DASH are not in code page 932; 0xFF is no UTF-8 at all.
  const CliResult result =
      run({"--rule", "é=e", "--replace", "〜", "~", "--porcelain", "café.txt", "a〜b.txt", "raw\xFF.txt"});
  ASSERT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.out, path("café.txt") + "\t" + path("cafe.txt") + "\n" + path("a〜b.txt") + "\t" + path("a~b.txt") +
                            "\n" + path("raw\xFF.txt") + "\t" + path("raw\xFF.txt") + "\n");
  // The codes the run gave them are kept for the next run.
  const std::string table = readBytes(dataFolder() / "NameCodes.tbl");
  EXPECT_NE(table.find("U+00E9"), std::string::npos) << table;
  EXPECT_NE(table.find("BYTE FF"), std::string::npos) << table;
}

TEST_F(StepsTest, PlanShowsARawByteAsItsHexCode) {
  const CliResult result = run({"--rule", "a=b", "/x/a\xFF"});
  ASSERT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.out, "/x/a\\xFF -> b\\xFF\n");
}

TEST_F(StepsTest, PorcelainRefusesAPathWithATab) {
  const CliResult result = run({"--porcelain", "x\ty/a"});
  EXPECT_EQ(result.status, 2) << result;
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("holds a tab or a line break"), std::string::npos) << result;
}

}  // namespace
}  // namespace namitra::cli::testing
