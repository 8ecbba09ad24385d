// The journal's lines and --undo's promise never to move another file: names no line could
// hold before, journals cut short at every byte, damaged and older lines, a line whose new name
// now holds another file, and a second undo of the same journal.
#include "cli_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace namitra::cli::testing {
namespace {

class JournalTest : public CliTest {
 protected:
  // a -> c and b -> d, journaled to j.log; returns the journal.
  std::string renameTwo() const {
    makeFile("a");
    makeFile("b");
    const CliResult result = run({"--rule", "a=c", "--rule", "b=d", "--journal", "j.log", "--execute", "--", "a", "b"});
    EXPECT_EQ(result.status, 0) << result;
    return contentOf("j.log");
  }

  // The newest file in the place of `name`: created beside it first, so that it cannot get the
  // inode number the old file frees.
  void replaceByAnotherFile(std::string_view name, std::string_view content) const {
    makeFile("newcomer", content);
    std::filesystem::rename(folder() / "newcomer", folder() / name);
  }

  static std::string secondLineOf(const std::string& journal) { return journal.substr(journal.find('\n') + 1); }
  static std::string firstLineOf(const std::string& journal) { return journal.substr(0, journal.find('\n') + 1); }
};

TEST_F(JournalTest, NamesWithTabsLineBreaksAndBackslashesRoundTrip) {
  ASSERT_EQ(crc32BitByBit("123456789"), 0xCBF43926u) << "the tests' own CRC-32 is the standard one";
  const std::string odd = "odd\tdir\nwith\\slash\r";
  std::filesystem::create_directory(folder() / odd);
  makeFile(odd + "/a\tb\\c.txt", "odd file");
  // A table of the user's that lets "\" through, so that the planned name keeps it.
  writeBytes(dataFolder() / "ValidFileNameChar.rld", "*=\r\n");
  CliResult result = run({"--rule", ".txt=.md", "--journal", "j.log", "--execute", "--", odd + "/a\tb\\c.txt"});
  ASSERT_EQ(result.status, 0) << result;
  EXPECT_EQ(contentOf(odd + "/a b\\c.md"), "odd file");  // the tab of the edit text became a space
  const std::string journal = contentOf("j.log");
  EXPECT_EQ(journal, journalLine(odd + "/a\tb\\c.txt", odd + "/a b\\c.md"));
  EXPECT_NE(journal.find("/odd\\tdir\\nwith\\\\slash\\r/a\\tb\\\\c.txt\t"), std::string::npos) << journal;

  result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(contentOf(odd + "/a\tb\\c.txt"), "odd file");
  EXPECT_FALSE(exists(odd + "/a b\\c.md"));
  EXPECT_EQ(contentOf("j.log"), "");
}

TEST_F(JournalTest, AJournalCutAnywhereInItsLastLineUndoesExactlyTheCompleteLines) {
  const std::string journal = renameTwo();
  const std::size_t lastLine = journal.find('\n') + 1;
  for (std::size_t cut = lastLine; cut < journal.size(); ++cut) {
    SCOPED_TRACE("journal cut after byte " + std::to_string(cut));
    writeBytes(folder() / "j.log", journal.substr(0, cut));
    const CliResult result = run({"--undo", "j.log"});
    const bool partOfALineLeft = cut > lastLine;
    EXPECT_EQ(result.status, partOfALineLeft ? 1 : 0) << result;
    EXPECT_EQ(result.err, partOfALineLeft ? "namitra-cli: journal line 2 ignored: incomplete\n" : "");
    EXPECT_EQ(contentOf("a"), "a");
    EXPECT_EQ(contentOf("d"), "b");
    EXPECT_FALSE(exists("b"));
    EXPECT_EQ(contentOf("j.log"), journal.substr(lastLine, cut - lastLine));
    std::filesystem::rename(folder() / "a", folder() / "c");  // the same file back where the journal has it
  }
}

// Every line that is not complete is left alone and named; the complete line before it is undone.
struct Damage {
  const char* name;
  // The second line as it is found, from the line written and the test's folder.
  std::function<std::string(const std::string& line, const std::string& folder)> damaged;
  std::string why;
};

void PrintTo(const Damage& each, std::ostream* out) { *out << each.name; }

// The second line of renameTwo's journal, b -> d, with the last byte of its TO path left out.
std::string withShorterTarget(const std::string& line) {
  std::string shorter = line;
  const std::size_t toEnd = shorter.find('\t', shorter.find('\t') + 1);
  shorter.erase(toEnd - 1, 1);  // ".../d" becomes ".../": the cut "img10 -> img1" of a full disk
  return shorter;
}

const Damage kDamages[] = {
    {"target_cut_short", [](const std::string& line, const std::string&) { return withShorterTarget(line); },
     "checksum mismatch"},
    {"checksum_changed",
     [](const std::string& line, const std::string&) {
       std::string changed = line;
       changed[changed.size() - 2] = changed[changed.size() - 2] == '0' ? '1' : '0';
       return changed;
     },
     "checksum mismatch"},
    {"older_journal",
     [](const std::string& line, const std::string&) { return line.substr(0, line.find('\t', line.find('\t') + 1)) + "\n"; },
     "no identity or checksum (cut short, or from an older journal)"},
    {"unknown_identity",
     [](const std::string& line, const std::string&) {
       const std::size_t from = line.find('\t');
       const std::size_t to = line.find('\t', from + 1);
       return journalLineOf(line.substr(0, from), line.substr(from + 1, to - from - 1), "0:0");
     },
     "no identity"},
    {"unknown_escape",
     [](const std::string&, const std::string& folder) {
       return sealedJournalLine(folder + "/x\\q\t" + folder + "/d\t1:2");
     },
     "damaged (not FROM<TAB>TO<TAB>DEV:INO<TAB>CRC)"},
    {"no_tab", [](const std::string&, const std::string&) { return std::string("no tab here\n"); },
     "damaged (not FROM<TAB>TO<TAB>DEV:INO<TAB>CRC)"},
};

class DamagedLines : public JournalTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedLines, AreIgnoredNamedAndKept) {
  const std::string journal = renameTwo();
  const std::string second = GetParam().damaged(secondLineOf(journal), folder().string());
  writeBytes(folder() / "j.log", firstLineOf(journal) + second);
  const CliResult result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_EQ(result.err, "namitra-cli: journal line 2 ignored: " + GetParam().why + "\n");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(contentOf("a"), "a");
  EXPECT_EQ(contentOf("d"), "b");
  EXPECT_EQ(contentOf("j.log"), second);
}

INSTANTIATE_TEST_SUITE_P(Cli, DamagedLines, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(JournalTest, ALineWhoseFileIsNoLongerAtItsNewNameMovesNothing) {
  const std::string journal = renameTwo();
  replaceByAnotherFile("c", "a newcomer");
  std::filesystem::remove(folder() / "d");
  const CliResult result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_EQ(result.err, "namitra-cli: not undone: " + path("c") + " -> " + path("a") +
                            ": another file is there now\n"
                            "namitra-cli: not undone: " + path("d") + " -> " + path("b") +
                            ": the file is no longer there\n"
                            "namitra-cli: 2件を元に戻せませんでした: No such file or directory\n");
  EXPECT_EQ(names(), (std::vector<std::string>{"c", "j.log"}));
  EXPECT_EQ(contentOf("c"), "a newcomer");
  EXPECT_EQ(contentOf("j.log"), journal);
}

TEST_F(JournalTest, ASecondUndoOfTheSameJournalMovesNothing) {
  const std::string journal = renameTwo();
  writeBytes(folder() / "copy.log", journal);
  ASSERT_EQ(run({"--undo", "j.log"}).status, 0);
  // Later work frees the old name a and gives c to another file: by their paths alone, the
  // journal's first line could be undone again.
  std::filesystem::rename(folder() / "a", folder() / "elsewhere");
  replaceByAnotherFile("c", "took the free name");
  const CliResult result = run({"--undo", "copy.log"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_EQ(result.err, "namitra-cli: not undone: " + path("c") + " -> " + path("a") +
                            ": another file is there now\n"
                            "namitra-cli: not undone: " + path("d") + " -> " + path("b") +
                            ": the file is no longer there\n"
                            "namitra-cli: 2件を元に戻せませんでした: No such file or directory\n");
  EXPECT_EQ(names(), (std::vector<std::string>{"b", "c", "copy.log", "elsewhere", "j.log"}));
  EXPECT_EQ(contentOf("elsewhere"), "a");
  EXPECT_EQ(contentOf("b"), "b");
  EXPECT_EQ(contentOf("c"), "took the free name");
  EXPECT_EQ(contentOf("copy.log"), journal);
}

TEST_F(JournalTest, LinesAppendedAfterACutLineStandOnTheirOwn) {
  const std::string journal = renameTwo();
  const std::string cut = journal.substr(0, journal.find('\t', journal.find('\n')) + 5);  // into the TO path
  writeBytes(folder() / "j.log", cut);
  makeFile("e");
  ASSERT_EQ(run({"--rule", "e=f", "--journal", "j.log", "--execute", "--", "e"}).status, 0);
  EXPECT_EQ(contentOf("j.log"), cut + "\n" + journalLine("e", "f"));

  const CliResult result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_EQ(result.err, "namitra-cli: journal line 2 ignored: no identity or checksum (cut short, or from an older journal)\n");
  EXPECT_EQ(names(), (std::vector<std::string>{"a", "d", "e", "j.log"}));
  EXPECT_EQ(contentOf("j.log"), secondLineOf(cut + "\n"));
}

}  // namespace
}  // namespace namitra::cli::testing
