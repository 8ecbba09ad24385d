#include "cli/journal_undo.h"

#include "cli/argument_text.h"
#include "rename/change_history.h"
#include "rename/rename_batch.h"

#include <cassert>

namespace namitra::cli {

namespace {

bool samePaths(const rename::HistoryRecord& a, const rename::HistoryRecord& b) {
  return a.pathBefore() == b.pathBefore() && a.pathAfter() == b.pathAfter();
}

// The undo keeps the records it did not reverse, in their order, and appends one reverse record
// per reversal after them. The kept ones are matched to the journal's entries front to front;
// between equal entries that picks the older ones as kept, and the batch (newest first) is the
// one that reverses the newer of two equal renames.
std::vector<bool> keptEntries(const std::vector<rename::HistoryRecord>& original,
                              const rename::ChangeHistory& after, std::size_t keptCount) {
  std::vector<bool> kept(original.size(), false);
  std::size_t next = 0;
  for (std::size_t i = 0; i < original.size() && next < keptCount; ++i) {
    if (!samePaths(original[i], after.record(next))) continue;
    kept[i] = true;
    ++next;
  }
  assert(next == keptCount && "the records kept by the undo are a subsequence of the journal");
  return kept;
}

}  // namespace

JournalUndo undoJournal(const JournalContents& journal, platform::NameCodec& codec, rename::FileAccess& files) {
  JournalUndo undo;
  rename::ChangeHistory history;
  history.reserve(journal.entries.size() * 2);
  for (const JournalEntry& entry : journal.entries) {
    std::optional<std::string> from = pathText(codec, entry.from);
    std::optional<std::string> to = pathText(codec, entry.to);
    if (!from || !to) {
      undo.error = "the journal line " + std::to_string(entry.line + 1) + " cannot be represented (no name code left)";
      return undo;
    }
    rename::HistoryRecord record = rename::historyRecordOf(*from, *to);
    record.checked = true;
    history.append(std::move(record));
  }
  const std::vector<rename::HistoryRecord> original = history.records();
  undo.report = rename::undoCheckedRecords(history, files, rename::nativeNamesOf(codec));
  const std::vector<bool> kept = keptEntries(original, history, history.size() - undo.report.undone);
  undo.reversedLines.assign(journal.lines.size(), false);
  for (std::size_t i = 0; i < journal.entries.size(); ++i) {
    if (kept[i])
      undo.notReversed.push_back(journal.entries[i]);
    else
      undo.reversedLines[journal.entries[i].line] = true;
  }
  return undo;
}

}  // namespace namitra::cli
