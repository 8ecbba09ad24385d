// The run record as text and as a locked file: every byte a path may hold survives the round
// trip, a record cut off or damaged anywhere before its end line is never taken for a whole
// one, a damaged "copied" line is dropped alone, and the lock tells the record of a live run
// from an unfinished one.
#include "rename/run_record.h"

#include "../platform/temp_folder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <csignal>
#include <fcntl.h>
#include <set>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace namitra::rename {
namespace {

using platform::testing::readBytes;
using platform::testing::TempFolder;

// Every byte a file name may hold: all but NUL and "/".
std::string everyNameByte() {
  std::string bytes;
  for (int c = 1; c < 256; ++c)
    if (c != '/') bytes += static_cast<char>(c);
  return bytes;
}

RunStep stepOf(std::string from, std::string to, std::string temporary, FileIdentity identity) {
  RunStep step;
  step.from = std::move(from);
  step.to = std::move(to);
  step.temporary = std::move(temporary);
  step.identity = identity;
  return step;
}

RunRecord awkwardRecord() {
  RunRecord record;
  record.id = "r1";
  record.origin = "cli";
  record.kind = RunKind::Undo;
  record.journal = "/home/u/.namitra/jour\tnal\\x";
  record.journalSize = 123456789012ull;
  RunStep tabs = stepOf("/d/a\tb", "/d/line\nfeed\rreturn", temporaryPathFor("r1", 0, "/d/"), {64769, 12});
  tabs.crossDevice = true;
  tabs.replaceAllowed = true;
  tabs.journalLine = 7;
  // Shift-JIS: the second byte of "表" and "ソ" is 0x5C, the byte of "\".
  RunStep sjis = stepOf("/d/\x95\x5c\xff\xfe", "/d/\x83\x5c\x83\x74\\n", temporaryPathFor("r1", 1, "/d/"), {64769, 13});
  sjis.isFolder = true;
  RunStep every = stepOf("/e/" + everyNameByte(), "/e/\\t\\", "/elsewhere/.namitra-r1-2\t\n", {3, 4});
  record.steps = {tabs, sjis, every};
  return record;
}

void expectSameRecord(const RunRecord& got, const RunRecord& want) {
  EXPECT_EQ(got.id, want.id);
  EXPECT_EQ(got.origin, want.origin);
  EXPECT_EQ(got.kind, want.kind);
  EXPECT_EQ(got.journal, want.journal);
  EXPECT_EQ(got.journalSize, want.journalSize);
  ASSERT_EQ(got.steps.size(), want.steps.size());
  for (std::size_t k = 0; k < want.steps.size(); ++k) {
    SCOPED_TRACE("step " + std::to_string(k));
    const RunStep& g = got.steps[k];
    const RunStep& w = want.steps[k];
    EXPECT_EQ(g.from, w.from);
    EXPECT_EQ(g.to, w.to);
    EXPECT_EQ(g.temporary, w.temporary);
    EXPECT_EQ(g.identity, w.identity);
    EXPECT_EQ(g.isFolder, w.isFolder);
    EXPECT_EQ(g.crossDevice, w.crossDevice);
    EXPECT_EQ(g.replaceAllowed, w.replaceAllowed);
    EXPECT_EQ(g.copied, w.copied);
    EXPECT_EQ(g.journalLine, w.journalLine);
  }
}

// The reference CRC-32, one bit at a time.
std::uint32_t bitwiseCrc32(std::string_view bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1u) ? 0xEDB88320u : 0u);
  }
  return ~crc;
}

std::size_t endOfEndLine(const std::string& text) { return text.find('\n', text.find("\nend\t") + 1) + 1; }

// --- The text ---

TEST(RunRecordText, EveryFieldAndEveryPathByteRoundTrips) {
  RunRecord record = awkwardRecord();
  record.steps[0].copied = {9, 99};
  const std::string text = runRecordText(record);
  const ParsedRunRecord parsed = parseRunRecord(text);
  ASSERT_EQ(parsed.state, RecordState::Complete);
  EXPECT_EQ(parsed.ignoredLines, 0u);
  expectSameRecord(parsed.record, record);
}

TEST(RunRecordText, TheEndLineCarriesTheStandardCrcOfEverythingBefore) {
  const std::string text = runRecordText(awkwardRecord());
  const std::size_t end = text.find("\nend\t") + 1;
  char expected[32];
  std::snprintf(expected, sizeof expected, "end\t3\t%08x\n", bitwiseCrc32(text.substr(0, end)));
  EXPECT_EQ(text.substr(end), expected);
  EXPECT_EQ(bitwiseCrc32("123456789"), 0xCBF43926u) << "the reference itself";
}

TEST(RunRecordText, ACutOffRecordIsNeverTakenForAWholeOne) {
  RunRecord record = awkwardRecord();
  record.steps[0].copied = {9, 99};
  record.steps[2].copied = {9, 100};
  const std::string text = runRecordText(record);
  const std::size_t whole = endOfEndLine(text);
  const std::size_t firstCopied = text.find('\n', whole) + 1;
  for (std::size_t length = 0; length <= text.size(); ++length) {
    SCOPED_TRACE("cut after " + std::to_string(length) + " bytes");
    const ParsedRunRecord parsed = parseRunRecord(std::string_view(text).substr(0, length));
    if (length < whole) {
      ASSERT_EQ(parsed.state, RecordState::CutOff);
      continue;
    }
    ASSERT_EQ(parsed.state, RecordState::Complete);
    const bool atLineEnd = length == whole || length == firstCopied || length == text.size();
    EXPECT_EQ(parsed.ignoredLines, atLineEnd ? 0u : 1u);
    EXPECT_EQ(parsed.record.steps[0].copied, (length >= firstCopied ? FileIdentity{9, 99} : FileIdentity{}));
    EXPECT_EQ(parsed.record.steps[2].copied, (length == text.size() ? FileIdentity{9, 100} : FileIdentity{}));
  }
}

TEST(RunRecordText, AnyDamageBeforeTheEndLineMakesItCutOff) {
  const std::string text = runRecordText(awkwardRecord());
  const std::size_t whole = endOfEndLine(text);
  for (std::size_t at = 0; at < whole; ++at) {
    for (unsigned char flip : {0x01, 0x20, 0x80}) {
      std::string damaged = text;
      damaged[at] = static_cast<char>(damaged[at] ^ flip);
      const RecordState state = parseRunRecord(damaged).state;
      ASSERT_NE(state, RecordState::Complete) << "byte " << at << " xor " << int(flip);
    }
  }
}

TEST(RunRecordText, ADamagedCopiedLineIsIgnoredAndCounted) {
  const RunRecord record = awkwardRecord();
  std::string badCrc = copiedLine(0, {7, 70});
  badCrc[badCrc.size() - 2] = badCrc[badCrc.size() - 2] == '0' ? '1' : '0';
  std::string text = runRecordText(record) + badCrc + copiedLine(5, {7, 71}) + "something else\n" +
                     copiedLine(1, {7, 72}) + copiedLine(2, {7, 73}).substr(0, 12);
  const ParsedRunRecord parsed = parseRunRecord(text);
  ASSERT_EQ(parsed.state, RecordState::Complete);
  EXPECT_EQ(parsed.ignoredLines, 4u);
  EXPECT_EQ(parsed.record.steps[0].copied, FileIdentity{});
  EXPECT_EQ(parsed.record.steps[1].copied, (FileIdentity{7, 72}));
  EXPECT_EQ(parsed.record.steps[2].copied, FileIdentity{});
}

TEST(RunRecordText, ATextThatIsNoRecordIsUnreadable) {
  EXPECT_EQ(parseRunRecord("").state, RecordState::CutOff);
  EXPECT_EQ(parseRunRecord(std::string(4096, '\0')).state, RecordState::CutOff) << "a torn write";
  EXPECT_EQ(parseRunRecord("namitra-run 2\nid\tx\n").state, RecordState::Unreadable);
  EXPECT_EQ(parseRunRecord("[settings]\nfoo=1\n").state, RecordState::Unreadable);
}

TEST(RunRecordNames, IdsAreShortUniqueAndKeepScratchNamesShort) {
  std::set<std::string> ids;
  for (int i = 0; i < 2000; ++i) {
    const std::string id = newRunId();
    ASSERT_TRUE(std::all_of(id.begin(), id.end(), [](char c) { return std::islower(c) || std::isdigit(c); })) << id;
    ASSERT_TRUE(ids.insert(id).second) << "repeated: " << id;
  }
  RunRecord record;
  record.id = *ids.rbegin();
  EXPECT_EQ(temporaryPathFor(record.id, 12, "/d/"), "/d/.namitra-" + record.id + "-12");
  EXPECT_LE(scratchAsidePath(record, 9999999, "").size(), 45u);
  EXPECT_LE(scratchCopyPath(record, 9999999, "").size(), 45u);
  EXPECT_NE(scratchCopyPath(record, 1, "/d/"), scratchAsidePath(record, 1, "/d/"));
  EXPECT_NE(scratchCopyPath(record, 1, "/d/"), temporaryPathFor(record.id, 1, "/d/"));
  EXPECT_TRUE(scratchCopyPath(record, 1, "/d/").starts_with("/d/.namitra-" + record.id + "-"));
}

TEST(RunRecordNames, IdsOfOtherProcessesDiffer) {
  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string id = newRunId();
    (void)!::write(pipe[1], id.data(), id.size());
    ::_exit(0);
  }
  ::close(pipe[1]);
  char buffer[64] = {};
  const ssize_t got = ::read(pipe[0], buffer, sizeof buffer - 1);
  ::close(pipe[0]);
  ::waitpid(child, nullptr, 0);
  ASSERT_GT(got, 0);
  EXPECT_NE(std::string(buffer), newRunId());
}

// --- The file and its lock ---

class RunRecordFile : public ::testing::Test {
 protected:
  TempFolder data;

  std::unique_ptr<RunRecordWriter> writer(const std::string& id) {
    std::string error;
    std::unique_ptr<RunRecordWriter> created = RunRecordWriter::create(data.path(), id, error);
    EXPECT_TRUE(created) << error;
    return created;
  }
  // What another process sees: its own open file description of the record.
  bool lockableFromOutside(const std::filesystem::path& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    const bool locked = ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
    ::close(descriptor);
    return locked;
  }
};

TEST_F(RunRecordFile, ARunningRecordIsLockedAndHoldsTheTextItWasGiven) {
  RunRecord record = awkwardRecord();
  record.id = "a1";
  auto running = writer("a1");
  ASSERT_TRUE(running);
  EXPECT_EQ(running->path(), data / "run-a1.record");
  ASSERT_TRUE(running->write(record));
  ASSERT_TRUE(running->noteCopied(2, {5, 55}));
  record.steps[2].copied = {5, 55};
  EXPECT_EQ(readBytes(running->path()), runRecordText(record));
  EXPECT_FALSE(lockableFromOutside(running->path()));
  EXPECT_FALSE(hasUnfinishedRun(data.path()));
  EXPECT_EQ(claimUnfinishedRun(data.path()), nullptr);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(data.path()), {}), 1) << "no staging name is left";
}

// Larger than the pieces the writer writes it in.
TEST_F(RunRecordFile, ALargeRecordIsWrittenWhole) {
  RunRecord record;
  record.id = "big";
  const std::string folder = "/home/someone/" + std::string(150, 'f') + "/";
  for (std::size_t k = 0; k < 60000; ++k) {
    const std::string name = "file " + std::to_string(k) + (k % 7 == 0 ? "\twith a tab" : "");
    record.steps.push_back(stepOf(folder + name, folder + "renamed " + name, temporaryPathFor("big", k, folder),
                                  {1, 1000 + k}));
  }
  auto running = writer("big");
  ASSERT_TRUE(running && running->write(record));
  const std::string written = readBytes(running->path());
  EXPECT_GT(written.size(), 2u << 20) << "more than two of the writer's pieces";
  EXPECT_TRUE(written == runRecordText(record)) << "the file is not the record's text";
  const ParsedRunRecord parsed = parseRunRecord(written);
  ASSERT_EQ(parsed.state, RecordState::Complete);
  EXPECT_EQ(parsed.record.steps.size(), record.steps.size());
  EXPECT_EQ(parsed.record.steps.back().temporary, record.steps.back().temporary);
}

TEST_F(RunRecordFile, ARecordWhoseWriterIsGoneIsClaimedWithItsContents) {
  RunRecord record = awkwardRecord();
  record.id = "a1";
  {
    auto running = writer("a1");
    ASSERT_TRUE(running && running->write(record));
    ASSERT_TRUE(running->noteCopied(0, {5, 50}));
  }
  record.steps[0].copied = {5, 50};
  EXPECT_TRUE(hasUnfinishedRun(data.path()));
  auto claimed = claimUnfinishedRun(data.path());
  ASSERT_TRUE(claimed);
  EXPECT_EQ(claimed->path(), data / "run-a1.record");
  ASSERT_EQ(claimed->contents().state, RecordState::Complete);
  expectSameRecord(claimed->contents().record, record);

  EXPECT_FALSE(hasUnfinishedRun(data.path())) << "a claimed record is nobody else's";
  EXPECT_EQ(claimUnfinishedRun(data.path()), nullptr);
  claimed->remove();
  EXPECT_FALSE(std::filesystem::exists(data / "run-a1.record"));
  claimed.reset();
  EXPECT_FALSE(hasUnfinishedRun(data.path()));
}

TEST_F(RunRecordFile, TheOldestUnfinishedRecordComesFirst) {
  for (const char* id : {"b2", "a1", "c3"}) {
    auto running = writer(id);
    ASSERT_TRUE(running);
  }
  auto first = claimUnfinishedRun(data.path());
  auto second = claimUnfinishedRun(data.path());
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->path(), data / "run-a1.record");
  EXPECT_EQ(second->path(), data / "run-b2.record");
  EXPECT_EQ(first->contents().state, RecordState::CutOff) << "written never: the run renamed nothing";
}

TEST_F(RunRecordFile, ARemovedRecordIsGoneAndAnIdIsNeverReused) {
  auto running = writer("a1");
  ASSERT_TRUE(running && running->write(awkwardRecord()));
  std::string error;
  EXPECT_EQ(RunRecordWriter::create(data.path(), "a1", error), nullptr);
  EXPECT_EQ(error, "File exists");
  running->remove();
  EXPECT_FALSE(std::filesystem::exists(running->path()));
  running.reset();
  EXPECT_FALSE(hasUnfinishedRun(data.path()));
}

TEST_F(RunRecordFile, AWriterThatCannotCreateSaysWhy) {
  std::string error;
  EXPECT_EQ(RunRecordWriter::create(data / "missing", "a1", error), nullptr);
  EXPECT_EQ(error, "No such file or directory");
}

// The record of a run in another process is not unfinished until that process is gone.
TEST_F(RunRecordFile, ARecordOfALiveProcessIsUnfinishedOnlyOnceItDies) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::string error;
    auto running = RunRecordWriter::create(data.path(), "a1", error);
    const bool written = running && running->write(awkwardRecord());
    (void)!::write(ready[1], written ? "y" : "n", 1);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char answer = 0;
  ASSERT_EQ(::read(ready[0], &answer, 1), 1);
  ::close(ready[0]);
  EXPECT_EQ(answer, 'y');
  EXPECT_FALSE(hasUnfinishedRun(data.path()));
  EXPECT_EQ(claimUnfinishedRun(data.path()), nullptr);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  auto claimed = claimUnfinishedRun(data.path());
  ASSERT_TRUE(claimed);
  EXPECT_EQ(claimed->contents().state, RecordState::Complete);
}

}  // namespace
}  // namespace namitra::rename
