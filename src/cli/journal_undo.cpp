#include "cli/journal_undo.h"

#include "cli/argument_text.h"
#include "platform/stored_file_error.h"
#include "platform/text_file.h"
#include "rename/change_history.h"
#include "rename/rename_batch.h"

#include <cstdint>

namespace namitra::cli {

namespace {

// The journal file as the undo changes it: which lines have been reversed, and which of those
// the file on disk has lost already. A stretch's run record numbers each step's line as the file
// has it when the stretch begins, so that recovery finds the line where it is.
class JournalOnDisk {
 public:
  explicit JournalOnDisk(const JournalToUndo& journal)
      : m_journal(journal),
        m_reversed(journal.contents.lines.size(), false),
        m_gone(journal.contents.lines.size(), false),
        m_lineOnDisk(journal.contents.lines.size(), 0) {
    renumber();
  }

  std::int64_t lineOnDisk(std::size_t line) const { return m_lineOnDisk[line]; }
  std::uint64_t size() const { return m_size; }
  const std::vector<bool>& reversed() const { return m_reversed; }
  const std::string& error() const { return m_error; }

  // Rewrites the file without every line reversed so far, `lines` included. A rewrite that
  // fails leaves the file as it was; the next one tries again with all the lines.
  void takeOut(const std::vector<std::size_t>& lines) {
    if (lines.empty()) return;
    for (const std::size_t line : lines) m_reversed[line] = true;
    try {
      platform::writeWholeFile(m_journal.path, journalTextWithout(m_journal.contents, m_reversed));
    } catch (const platform::StoredFileError& error) {
      if (m_error.empty()) m_error = error.what();
      return;
    }
    m_gone = m_reversed;
    renumber();
  }

 private:
  void renumber() {
    std::int64_t next = 0;
    m_size = 0;
    for (std::size_t i = 0; i < m_gone.size(); ++i) {
      m_lineOnDisk[i] = m_gone[i] ? -1 : next;
      if (m_gone[i]) continue;
      ++next;
      m_size += m_journal.contents.lines[i].size();
    }
  }

  const JournalToUndo& m_journal;
  std::vector<bool> m_reversed;
  std::vector<bool> m_gone;
  std::vector<std::int64_t> m_lineOnDisk;
  std::uint64_t m_size = 0;
  std::string m_error;
};

// The records of the journal's entries, oldest first: record i is entry i.
bool fillHistory(const std::vector<JournalEntry>& entries, platform::NameCodec& codec, rename::ChangeHistory& history,
                 std::string& error) {
  history.reserve(entries.size() * 2);
  for (const JournalEntry& entry : entries) {
    std::optional<std::string> from = pathText(codec, entry.from);
    std::optional<std::string> to = pathText(codec, entry.to);
    if (!from || !to) {
      error = "the journal line " + std::to_string(entry.line + 1) + " cannot be represented (no name code left)";
      return false;
    }
    rename::HistoryRecord record = rename::historyRecordOf(*from, *to);
    record.identity = entry.identity;
    record.checked = true;
    history.append(std::move(record));
  }
  return true;
}

}  // namespace

JournalUndo undoJournal(const JournalToUndo& journal, const std::filesystem::path& dataFolder,
                        platform::NameCodec& codec, rename::FileAccess& files) {
  JournalUndo undo;
  const std::vector<JournalEntry>& entries = journal.contents.entries;
  rename::ChangeHistory history;
  if (!fillHistory(entries, codec, history, undo.error)) return undo;

  JournalOnDisk onDisk(journal);
  rename::RunRecording recording;
  recording.dataFolder = dataFolder;
  recording.origin = "cli";
  recording.journal = journal.path;
  recording.journalSize = onDisk.size();
  recording.journalLineOf = [&](std::size_t record) -> std::int64_t {
    return record < entries.size() ? onDisk.lineOnDisk(entries[record].line) : -1;
  };
  recording.stretchDone = [&](const std::vector<std::size_t>& reversed) {
    std::vector<std::size_t> lines;
    for (const std::size_t record : reversed) {
      if (record < entries.size()) lines.push_back(entries[record].line);
    }
    onDisk.takeOut(lines);
    recording.journalSize = onDisk.size();  // the next stretch's record starts from this file
  };
  undo.report = rename::undoCheckedRecords(history, files, rename::nativeNamesOf(codec), {}, &recording);

  undo.reversedLines = onDisk.reversed();
  undo.journalError = onDisk.error();
  for (const JournalEntry& entry : entries) {
    if (!undo.reversedLines[entry.line]) undo.notReversed.push_back(entry);
  }
  return undo;
}

}  // namespace namitra::cli
