// The command line itself: --help, --version, and every argument the command refuses.
#include "cli_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace namitra::cli::testing {
namespace {

class ArgumentsTest : public CliTest {};

TEST_F(ArgumentsTest, HelpAndVersion) {
  for (const char* help : {"--help", "-h"}) {
    const CliResult result = run({"--rule", "a=b", help, "--no-such-option"});
    EXPECT_EQ(result.status, 0) << result;
    EXPECT_TRUE(result.out.starts_with("Usage: namitra-cli [OPTION | STEP]... [--] PATH...\n")) << result;
    EXPECT_EQ(result.err, "");
  }
  const CliResult result = run({"--version"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.out, "namitra-cli " NAMITRA_VERSION_TEXT "\n");
}

struct BadArguments {
  const char* name;
  std::vector<std::string> arguments;
  std::string reason;  // the first line of standard error after "namitra-cli: "
};

void PrintTo(const BadArguments& each, std::ostream* out) { *out << each.name; }

const BadArguments kBadArguments[] = {
    {"no_path", {"--format", "x"}, "no PATH given"},
    {"empty_path", {""}, "an empty PATH cannot be a file"},
    {"path_naming_no_file", {"."}, "the PATH '.' names no file"},
    {"path_with_line_break", {"a\nb"}, "the PATH 'a\nb' holds a line break, which a line of names cannot"},
    {"unknown_option", {"--frobnicate", "a"}, "unknown option '--frobnicate'"},
    {"unknown_short_option", {"-x", "a"}, "unknown option '-x'"},
    {"missing_value", {"a", "--format"}, "option --format needs a value"},
    {"replace_missing_replacement", {"a", "--replace", "x"}, "option --replace needs two arguments: SEARCH REPLACEMENT"},
    {"replace_with_equals", {"a", "--replace=x", "y"}, "option --replace takes two arguments: SEARCH REPLACEMENT"},
    {"switch_with_value", {"a", "--execute=yes"}, "option --execute takes no value"},
    {"start_negative", {"--start", "-1", "a"}, "--start '-1' is not a number from 0 to 2147483647"},
    {"start_too_large", {"--start", "2147483648", "a"}, "--start '2147483648' is not a number from 0 to 2147483647"},
    {"start_not_a_number", {"--start", "7x", "a"}, "--start '7x' is not a number from 0 to 2147483647"},
    {"digits_zero", {"--digits", "0", "a"}, "--digits '0' is not a number from 1 to 16"},
    {"digits_too_many", {"--digits", "17", "a"}, "--digits '17' is not a number from 1 to 16"},
    {"rule_without_equals", {"--rule", "abc", "a"}, "--rule 'abc' is not KEY=VALUE with a KEY"},
    {"rule_without_key", {"--rule", "=abc", "a"}, "--rule '=abc' is not KEY=VALUE with a KEY"},
    {"overwrite_without_execute", {"--overwrite", "a"}, "--overwrite needs --execute"},
    {"journal_without_execute", {"--journal", "j.log", "a"}, "--journal needs --execute"},
    {"journal_twice", {"--execute", "--journal", "j", "--journal", "k", "a"}, "option --journal is given twice"},
    {"undo_with_path", {"--undo", "j.log", "a"}, "--undo takes no PATH, step or other option than --data-dir"},
    {"undo_with_step", {"--undo", "j.log", "--format", "x"}, "--undo takes no PATH, step or other option than --data-dir"},
    {"undo_twice", {"--undo", "j.log", "--undo", "k.log"}, "option --undo is given twice"},
    {"recover_without_direction", {"--recover"}, "option --recover needs a value"},
    {"recover_unknown_direction", {"--recover", "redo"}, "--recover 'redo' is neither finish nor rollback"},
    {"recover_with_path", {"--recover", "finish", "a"}, "--recover takes no PATH, step or other option than --data-dir"},
    {"recover_with_execute", {"--recover", "rollback", "--execute"},
     "--recover takes no PATH, step or other option than --data-dir"},
    {"recover_and_undo", {"--undo", "j.log", "--recover", "finish"}, "--undo and --recover cannot be combined"},
    {"recover_twice", {"--recover", "finish", "--recover", "rollback"}, "option --recover is given twice"},
    {"data_folder_missing", {"--data-dir", "nowhere", "a"}, "the data folder 'nowhere' is not a folder"},
    {"argument_not_utf8", {"--format", "x\xFF", "a"}, "the argument 'x\xFF' cannot be represented (not UTF-8)"},
    {"argument_with_line_break", {"--rule", "a=b\nc", "a"}, "the argument 'a=b\nc' holds a line break"},
    {"rules_file_missing", {"--rules", "none.rl", "a"}, "the rule file 'none.rl' does not exist"},
    {"names_file_missing", {"--names-from", "none.txt", "a"}, "the names file 'none.txt' does not exist"},
    {"names_file_not_utf8", {"--names-from", "latin1.txt", "a", "b"}, "the names file 'latin1.txt' is not UTF-8 text (line 2)"},
    {"empty_format", {"--format", "", "a"}, "--format '': >> 変換する文字列式がありません"},
    {"empty_search", {"--replace", "", "x", "a"}, "--replace '' 'x': 検索文字列が設定されていません"},
    {"malformed_pattern", {"--replace", "[a", "x", "a"}, "--replace '[a' 'x': 右ブラケット\"]\"が必要です (position 3)"},
    {"malformed_pattern_case_sensitive", {"--match-case", "--replace", "a)", "x", "a"},
     "--replace 'a)' 'x': 正規表現に余分な文字があります (position 3)"},
};

class BadArgumentCases : public ArgumentsTest, public ::testing::WithParamInterface<BadArguments> {};

TEST_P(BadArgumentCases, AreRefusedWithExitStatus2) {
  writeBytes(folder() / "latin1.txt", "caf\xC3\xA9\nna\xEFve\n");
  const CliResult result = run(GetParam().arguments);
  EXPECT_EQ(result.status, 2) << result;
  EXPECT_EQ(result.out, "");
  // Malformed command lines add a pointer to --help; the reason is the same either way.
  std::string err = result.err;
  const std::string tryHelp = "Try 'namitra-cli --help' for more information.\n";
  if (err.ends_with(tryHelp)) err.erase(err.size() - tryHelp.size());
  EXPECT_EQ(err, "namitra-cli: " + GetParam().reason + "\n") << result;
  EXPECT_EQ(names(), (std::vector<std::string>{"latin1.txt"}));  // nothing written beside it
}

INSTANTIATE_TEST_SUITE_P(Cli, BadArgumentCases, ::testing::ValuesIn(kBadArguments),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ArgumentsTest, MalformedCommandLinesPointToHelp) {
  const CliResult result = run({"--frobnicate"});
  EXPECT_EQ(result.err, "namitra-cli: unknown option '--frobnicate'\nTry 'namitra-cli --help' for more information.\n");
}

TEST_F(ArgumentsTest, UnreadableRuleFileIsRefusedWithTheStoredFileMessage) {
  std::filesystem::create_directory(folder() / "folder.rl");
  const CliResult result = run({"--rules", "folder.rl", "a"});
  EXPECT_EQ(result.status, 2) << result;
  EXPECT_NE(result.err.find("folder.rl"), std::string::npos) << result;
}

}  // namespace
}  // namespace namitra::cli::testing
