// --execute, --overwrite, --journal and --undo on real files in a temporary folder.
#include "cli_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace namitra::cli::testing {
namespace {

using Names = std::vector<std::string>;

class ExecuteTest : public CliTest {
 protected:
  // Runs `steps` with --execute (and `extra` options) over `names`.
  CliResult execute(std::vector<std::string> arguments, const Names& names) const {
    arguments.push_back("--execute");
    arguments.push_back("--");
    arguments.insert(arguments.end(), names.begin(), names.end());
    return run(arguments);
  }

  // A names file for --names-from, one name per line.
  void plan(const Names& planned) const {
    std::string text;
    for (const std::string& name : planned) text += name + "\n";
    writeBytes(folder() / "plan.txt", text);
  }
};

TEST_F(ExecuteTest, RenamesTheFilesSilently) {
  for (const char* name : {"a.jpg", "b.jpg", "写真.jpg"}) makeFile(name);
  const CliResult result = execute({"--digits", "3", "--format", "photo%NUM%.%F_EXT%"}, {"a.jpg", "b.jpg", "写真.jpg"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(names(), (Names{"photo001.jpg", "photo002.jpg", "photo003.jpg"}));
  EXPECT_EQ(contentOf("photo003.jpg"), "写真.jpg");
}

TEST_F(ExecuteTest, RenamesFilesOfOtherFoldersByTheirFullPaths) {
  std::filesystem::create_directories(folder() / "sub" / "deeper");
  makeFile("sub/a.txt");
  makeFile("sub/deeper/b.txt");
  makeFile("c.txt");
  const CliResult result = execute({"--rule", ".txt=.md"}, {"sub/a.txt", path("sub/deeper/b.txt"), "./c.txt"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(contentOf("sub/a.md"), "sub/a.txt");
  EXPECT_EQ(contentOf("sub/deeper/b.md"), "sub/deeper/b.txt");
  EXPECT_EQ(contentOf("c.md"), "c.txt");
}

// The PATHs are taken against the working folder before anything moves, with their folders
// resolved: a run that renames the working folder itself renames exactly the files named, and
// journals the folder under its own path, not through the name it gives up.
TEST_F(ExecuteTest, RenamesExactlyThePathsNamedFromInsideAFolderItRenames) {
  std::filesystem::create_directory(folder() / "sub");
  makeFile("sub/x");
  makeFile("sub/other");
  makeFile("x", "not this x");
  plan({"y", "sub2"});
  const CliResult result = runIn(folder() / "sub", {"--names-from", "../plan.txt", "--journal", "../j.log", "--execute",
                                                    "--", "x", "../sub"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(names(), (Names{"j.log", "plan.txt", "sub2", "x"}));
  EXPECT_EQ(contentOf("sub2/y"), "sub/x");
  EXPECT_EQ(contentOf("sub2/other"), "sub/other");
  EXPECT_EQ(contentOf("x"), "not this x");
  EXPECT_EQ(contentOf("j.log"), journalLine("sub/x", "sub/y", "sub2/y") + journalLine("sub", "sub2"));
}

// What the run refuses, it refuses before any file is touched, with or without --overwrite.
struct Refusal {
  const char* name;
  std::vector<std::string> steps;
  std::string message;  // the whole of standard error, "%F" standing for the test folder
};

void PrintTo(const Refusal& each, std::ostream* out) { *out << each.name; }

const Refusal kRefusals[] = {
    {"duplicate_planned_names", {"--format", "same.txt"},
     "\"%F/same.txt\"が変換後のファイル名として重複しています。\n実行を中止しました\n"},
    {"empty_planned_name", {"--names-from", "blank.txt"}, ">> 変換後の名前に空白があるようです\n"},
    {"malformed_pattern", {"--rule", "a=b", "--replace", "(a", "x"},
     "namitra-cli: --replace '(a' 'x': 右(閉じ)括弧が必要です (position 3)\n"},
    {"line_count_mismatch", {"--names-from", "short.txt"},
     "namitra-cli: the text has 1 line for 3 rows; the planned names need one line per row\n"},
};

class RefusalCases : public ExecuteTest, public ::testing::WithParamInterface<std::tuple<Refusal, bool>> {};

TEST_P(RefusalCases, NothingIsRenamed) {
  const auto& [refusal, overwrite] = GetParam();
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) makeFile(name);
  writeBytes(folder() / "blank.txt", "x.txt\n\ny.txt\n");
  writeBytes(folder() / "short.txt", "x.txt\n");
  std::vector<std::string> arguments = refusal.steps;
  if (overwrite) arguments.push_back("--overwrite");
  arguments.insert(arguments.end(), {"--journal", "journal.log"});
  const CliResult result = execute(arguments, {"a.txt", "b.txt", "c.txt"});
  std::string message = refusal.message;
  if (const std::size_t at = message.find("%F"); at != std::string::npos) message.replace(at, 2, folder().string());
  EXPECT_EQ(result.status, 2) << result;
  EXPECT_EQ(result.err, message);
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) EXPECT_EQ(contentOf(name), name);
  // The journal may have been opened before the run's own checks refused; it holds nothing.
  if (exists("journal.log")) {
    EXPECT_EQ(contentOf("journal.log"), "");
  }
  std::filesystem::remove(folder() / "journal.log");
  EXPECT_EQ(names(), (Names{"a.txt", "b.txt", "blank.txt", "c.txt", "short.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Cli, RefusalCases, ::testing::Combine(::testing::ValuesIn(kRefusals), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "_overwrite" : "");
                         });

// Chains and cycles come out right whatever the row order, also when existing files may be replaced.
struct Ordering {
  const char* name;
  Names rows;
  Names planned;
  std::vector<std::pair<std::string, std::string>> expected;  // name, content afterwards
};

void PrintTo(const Ordering& each, std::ostream* out) { *out << each.name; }

const Ordering kOrderings[] = {
    {"chain", {"a.txt", "b.txt"}, {"b.txt", "c.txt"}, {{"b.txt", "a.txt"}, {"c.txt", "b.txt"}}},
    {"chain_listed_backwards", {"b.txt", "a.txt"}, {"c.txt", "b.txt"}, {{"b.txt", "a.txt"}, {"c.txt", "b.txt"}}},
    {"swap", {"a.txt", "b.txt"}, {"b.txt", "a.txt"}, {{"a.txt", "b.txt"}, {"b.txt", "a.txt"}}},
    {"cycle_of_three", {"a.txt", "b.txt", "c.txt"}, {"b.txt", "c.txt", "a.txt"},
     {{"a.txt", "c.txt"}, {"b.txt", "a.txt"}, {"c.txt", "b.txt"}}},
};

class OrderingCases : public ExecuteTest, public ::testing::WithParamInterface<std::tuple<Ordering, bool>> {};

TEST_P(OrderingCases, EveryFileKeepsItsContentAtExactlyOnePath) {
  const auto& [ordering, overwrite] = GetParam();
  for (const std::string& name : ordering.rows) makeFile(name);
  plan(ordering.planned);
  std::vector<std::string> arguments{"--names-from", "plan.txt"};
  if (overwrite) arguments.push_back("--overwrite");
  const CliResult result = execute(arguments, ordering.rows);
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  std::filesystem::remove(folder() / "plan.txt");
  Names expectedNames;
  for (const auto& [name, content] : ordering.expected) {
    expectedNames.push_back(name);
    EXPECT_EQ(contentOf(name), content) << name;
  }
  EXPECT_EQ(names(), expectedNames);
}

INSTANTIATE_TEST_SUITE_P(Cli, OrderingCases, ::testing::Combine(::testing::ValuesIn(kOrderings), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "_overwrite" : "");
                         });

TEST_F(ExecuteTest, ExistingTargetIsRefusedUnlessOverwrite) {
  makeFile("a.txt");
  makeFile("c.txt");
  makeFile("x.txt", "old x");
  plan({"x.txt", "d.txt"});
  CliResult result = execute({"--names-from", "plan.txt"}, {"a.txt", "c.txt"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_EQ(result.err, ">> " + path("a.txt") + " -> " + path("x.txt") + ": File exists\n");
  EXPECT_EQ(contentOf("x.txt"), "old x");
  EXPECT_EQ(contentOf("a.txt"), "a.txt");
  EXPECT_EQ(contentOf("d.txt"), "c.txt");  // the other rows are renamed all the same

  plan({"x.txt"});
  result = execute({"--names-from", "plan.txt", "--overwrite"}, {"a.txt"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(contentOf("x.txt"), "a.txt");
  EXPECT_FALSE(exists("a.txt"));
}

TEST_F(ExecuteTest, OverwriteNeverReplacesAFolder) {
  makeFile("a.txt");
  std::filesystem::create_directory(folder() / "x");
  plan({"x"});
  const CliResult result = execute({"--names-from", "plan.txt", "--overwrite"}, {"a.txt"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_TRUE(exists("a.txt"));
  EXPECT_TRUE(std::filesystem::is_directory(folder() / "x"));
}

TEST_F(ExecuteTest, MissingSourceFailsAndTheRestGoesOn) {
  makeFile("b.txt");
  const CliResult result = execute({"--rule", ".txt=.md"}, {"gone.txt", "b.txt"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_EQ(result.err, ">> " + path("gone.txt") + " -> " + path("gone.md") + ": No such file or directory\n");
  EXPECT_EQ(contentOf("b.md"), "b.txt");
}

TEST_F(ExecuteTest, JournalRecordsEachRenameAndUndoReversesAll) {
  for (const char* name : {"a.txt", "c.txt", "写真.txt"}) makeFile(name);
  CliResult result = execute({"--rule", ".txt=.md", "--journal", "j.log"}, {"a.txt", "c.txt", "写真.txt"});
  ASSERT_EQ(result.status, 0) << result;
  EXPECT_EQ(contentOf("j.log"), journalLine("a.txt", "a.md") + journalLine("c.txt", "c.md") +
                                    journalLine("写真.txt", "写真.md"));

  result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(names(), (Names{"a.txt", "c.txt", "j.log", "写真.txt"}));
  EXPECT_EQ(contentOf("j.log"), "");
}

TEST_F(ExecuteTest, JournalOfAPartlyFailedRunHoldsWhatWasDone) {
  makeFile("a.txt");
  makeFile("c.txt");
  makeFile("x.txt", "old x");
  plan({"x.txt", "d.txt"});
  CliResult result = execute({"--names-from", "plan.txt", "--journal", "j.log"}, {"a.txt", "c.txt"});
  ASSERT_EQ(result.status, 1) << result;
  EXPECT_EQ(contentOf("j.log"), journalLine("c.txt", "d.txt"));

  result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(names(), (Names{"a.txt", "c.txt", "j.log", "plan.txt", "x.txt"}));
  EXPECT_EQ(contentOf("x.txt"), "old x");
  EXPECT_EQ(contentOf("j.log"), "");
}

TEST_F(ExecuteTest, UndoKeepsExactlyTheLinesItCouldNotReverse) {
  makeFile("a.txt");
  makeFile("c.txt");
  CliResult result = execute({"--rule", ".txt=.md", "--journal", "j.log"}, {"a.txt", "c.txt"});
  ASSERT_EQ(result.status, 0) << result;
  makeFile("a.txt", "a newcomer");  // takes the old name of the first rename

  result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_EQ(result.err, "namitra-cli: not undone: " + path("a.md") + " -> " + path("a.txt") +
                            "\nnamitra-cli: 1件を元に戻せませんでした: File exists\n");
  EXPECT_EQ(contentOf("a.txt"), "a newcomer");
  EXPECT_EQ(contentOf("a.md"), "a.txt");
  EXPECT_EQ(contentOf("c.txt"), "c.txt");
  EXPECT_EQ(contentOf("j.log"), journalLine("a.txt", "a.md"));
}

TEST_F(ExecuteTest, UndoUnwindsRunsNewestFirst) {
  makeFile("a.txt");
  makeFile("c.txt");
  ASSERT_EQ(execute({"--rule", "a=b", "--journal", "j.log"}, {"a.txt"}).status, 0);
  ASSERT_EQ(execute({"--rule", "c=d", "--journal", "j.log"}, {"c.txt"}).status, 0);
  ASSERT_EQ(execute({"--rule", "b=e", "--journal", "j.log"}, {"b.txt"}).status, 0);
  // e.txt goes back to b.txt before b.txt goes back to a.txt.
  const CliResult result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(names(), (Names{"a.txt", "c.txt", "j.log"}));
  EXPECT_EQ(contentOf("a.txt"), "a.txt");
}

TEST_F(ExecuteTest, UndoReversesASwapAsOneBatch) {
  makeFile("a.txt");
  makeFile("b.txt");
  plan({"b.txt", "a.txt"});
  ASSERT_EQ(execute({"--names-from", "plan.txt", "--journal", "j.log"}, {"a.txt", "b.txt"}).status, 0);
  ASSERT_EQ(contentOf("a.txt"), "b.txt");
  // Reversed one line at a time, the newest reversal would find its old name taken.
  const CliResult result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(contentOf("a.txt"), "a.txt");
  EXPECT_EQ(contentOf("b.txt"), "b.txt");
  EXPECT_EQ(names(), (Names{"a.txt", "b.txt", "j.log", "plan.txt"}));
  EXPECT_EQ(contentOf("j.log"), "");
}

TEST_F(ExecuteTest, UndoOfRepeatedRenamesRemovesTheNewerLine) {
  makeFile("a.txt");
  makeFile("c.txt");
  ASSERT_EQ(execute({"--rule", "a=b", "--journal", "j.log"}, {"a.txt"}).status, 0);
  ASSERT_EQ(execute({"--rule", "c=d", "--journal", "j.log"}, {"c.txt"}).status, 0);
  std::filesystem::rename(folder() / "b.txt", folder() / "a.txt");
  ASSERT_EQ(execute({"--rule", "a=b", "--journal", "j.log"}, {"a.txt"}).status, 0);
  // The newest a->b is reversed; the older one finds b.txt gone and stays, at its own place.
  const CliResult result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_EQ(names(), (Names{"a.txt", "c.txt", "j.log"}));
  EXPECT_EQ(contentOf("j.log"), journalLine("a.txt", "b.txt", "a.txt"));
}

TEST_F(ExecuteTest, UndoKeepsEmptyLinesAndRefusesAMissingJournal) {
  makeFile("a.txt");
  ASSERT_EQ(execute({"--rule", "a=b", "--journal", "j.log"}, {"a.txt"}).status, 0);
  writeBytes(folder() / "j.log", "\n" + contentOf("j.log") + "\n");
  CliResult result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(exists("a.txt"));
  EXPECT_EQ(contentOf("j.log"), "\n\n");

  result = run({"--undo", "missing.log"});
  EXPECT_EQ(result.status, 2) << result;
  EXPECT_EQ(result.err, "namitra-cli: the journal 'missing.log' does not exist\n");
}

TEST_F(ExecuteTest, JournalAmongTheFilesToRenameIsRefused) {
  makeFile("a.txt");
  writeBytes(folder() / "j.log", journalLine("x.txt", "y.txt"));  // from an earlier run
  const CliResult result = execute({"--rule", "j.log=k.log", "--rule", "a=b", "--journal", "j.log"}, {"a.txt", "j.log"});
  EXPECT_EQ(result.status, 2) << result;
  EXPECT_EQ(result.err, "namitra-cli: the journal 'j.log' is one of the files to rename\n");
  EXPECT_EQ(names(), (Names{"a.txt", "j.log"}));
  EXPECT_EQ(contentOf("j.log"), journalLine("x.txt", "y.txt"));
}

TEST_F(ExecuteTest, NamesOutsideCodePage932AreRenamedAndUndoneExactly) {
  makeFile("café.txt");
  makeFile("raw\xFF.txt");
  CliResult result = execute({"--rule", "é=e", "--rule", ".txt=〜.txt", "--journal", "j.log"}, {"café.txt", "raw\xFF.txt"});
  ASSERT_EQ(result.status, 0) << result;
  EXPECT_EQ(names(), (Names{"cafe〜.txt", "j.log", "raw\xFF〜.txt"}));
  EXPECT_EQ(contentOf("j.log"), journalLine("café.txt", "cafe〜.txt") + journalLine("raw\xFF.txt", "raw\xFF〜.txt"));
  result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(names(), (Names{"café.txt", "j.log", "raw\xFF.txt"}));
}

}  // namespace
}  // namespace namitra::cli::testing
