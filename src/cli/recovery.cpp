#include "cli/recovery.h"

#include "cli/journal.h"
#include "platform/stored_file_error.h"
#include "platform/text_file.h"
#include "rename/run_record.h"
#include "rename/run_recovery.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <ostream>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace namitra::cli {

namespace {

constexpr const char* kProgram = "namitra-cli: ";

using rename::RecoveredStep;
using rename::RecoveryReport;
using rename::RunRecord;
using rename::RunStep;
using rename::StepPlace;

// The path the step's file ends at; empty when it was not found.
std::string finalPath(const RunStep& step, const RecoveredStep& recovered) {
  switch (recovered.place) {
    case StepPlace::AtFrom: return step.from;
    case StepPlace::AtTo: return step.to;
    case StepPlace::Stuck: return recovered.leftAt;
    case StepPlace::Missing: break;
  }
  return {};
}

// Where the file now at `end` was before recovery: its moves followed back from the newest.
std::string pathBeforeRecovery(const RecoveryReport& report, std::string end) {
  for (std::size_t k = report.moves.size(); k-- > 0;) {
    if (report.moves[k].to == end) end = report.moves[k].from;
  }
  return end;
}

// The complete lines of a journal, by line number and by the rename they name, so that an undo
// of 100,000 steps finds each step's line without a search through all of them.
class JournalIndex {
 public:
  explicit JournalIndex(const JournalContents& journal) {
    for (const JournalEntry& entry : journal.entries) {
      m_byLine.emplace(entry.line, &entry);
      m_renames.insert(key(entry.from, entry.to, entry.identity));
    }
  }

  // Whether line `line` is the rename that undo step `step` reverses.
  bool lineIsReversedBy(std::size_t line, const RunStep& step) const {
    const auto found = m_byLine.find(line);
    return found != m_byLine.end() && key(found->second->from, found->second->to, found->second->identity) ==
                                          key(step.to, step.from, step.identity);
  }
  bool hasRenameReversedBy(const RunStep& step) const { return m_renames.count(key(step.to, step.from, step.identity)) > 0; }

 private:
  static std::string key(const std::string& from, const std::string& to, const rename::FileIdentity& identity) {
    return from + '\0' + to + '\0' + rename::identityText(identity);
  }

  std::unordered_map<std::size_t, const JournalEntry*> m_byLine;
  std::unordered_set<std::string> m_renames;
};

// `text` ending with a line feed unless it is empty, so that lines appended stand on their own.
std::string endedText(std::string text) {
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text;
}

class RunRecovery {
 public:
  RunRecovery(rename::RecoveryDirection direction, rename::FileAccess& files, const RecoveryOutput& output)
      : m_direction(direction), m_files(files), m_output(output) {}

  // False when something is not as asked; the record is removed unless it has to stay.
  bool recover(rename::ClaimedRunRecord& claimed) {
    const rename::ParsedRunRecord& parsed = claimed.contents();
    if (parsed.state == rename::RecordState::CutOff) {
      claimed.remove();
      return true;
    }
    if (parsed.state == rename::RecordState::Unreadable) {
      m_output.err << kProgram << "the run record " << m_output.shownPath(claimed.path().string())
                   << " cannot be read; it stays in the data folder\n";
      return false;
    }
    const RunRecord& record = parsed.record;
    const RecoveryReport report = rename::recoverRun(record, m_direction, m_files);
    printMoves(record, report);
    printMisplaced(record, report);
    if (!bringJournalInLine(record, report)) {
      m_output.err << kProgram << "the run record " << m_output.shownPath(claimed.path().string())
                   << " stays in the data folder; run --recover again once the journal can be written\n";
      return false;
    }
    claimed.remove();
    return report.complete;
  }

 private:
  bool finishing() const { return m_direction == rename::RecoveryDirection::Finish; }
  StepPlace wantedPlace() const { return finishing() ? StepPlace::AtTo : StepPlace::AtFrom; }

  void printMoves(const RunRecord& record, const RecoveryReport& report) {
    for (std::size_t i = 0; i < record.steps.size() && i < report.steps.size(); ++i) {
      const std::string end = finalPath(record.steps[i], report.steps[i]);
      if (end.empty()) continue;
      const std::string start = pathBeforeRecovery(report, end);
      if (start == end) continue;
      m_output.out << m_output.shownPath(start) << " -> " << m_output.shownPath(end) << '\n';
    }
  }

  void printMisplaced(const RunRecord& record, const RecoveryReport& report) {
    for (std::size_t i = 0; i < record.steps.size() && i < report.steps.size(); ++i) {
      const RecoveredStep& recovered = report.steps[i];
      if (recovered.place == wantedPlace()) continue;
      const RunStep& step = record.steps[i];
      m_output.err << kProgram << (finishing() ? "not finished: " : "not rolled back: ")
                   << m_output.shownPath(step.from) << " -> " << m_output.shownPath(step.to) << ": "
                   << whyMisplaced(recovered);
      if (recovered.place == StepPlace::Stuck) m_output.err << " (left at " << m_output.shownPath(recovered.leftAt) << ")";
      m_output.err << '\n';
    }
  }

  static std::string whyMisplaced(const RecoveredStep& recovered) {
    if (!recovered.reason.empty()) return recovered.reason;
    return recovered.place == StepPlace::Missing ? "the file was not found" : "it could not be moved";
  }

  // False when the journal could not be written.
  bool bringJournalInLine(const RunRecord& record, const RecoveryReport& report) {
    if (record.journal.empty()) return true;
    try {
      const std::optional<std::string> text = platform::readWholeFile(record.journal);
      const std::optional<std::string> wanted = record.kind == rename::RunKind::Rename
                                                    ? journalAfterRename(text.value_or(""), record, report)
                                                    : journalAfterUndo(text, record, report);
      if (wanted && *wanted != text.value_or("")) platform::writeWholeFile(record.journal, *wanted);
      return true;
    } catch (const platform::StoredFileError& error) {
      m_output.err << kProgram << error.what() << '\n';
      return false;
    }
  }

  std::string journalAfterRename(const std::string& text, const RunRecord& record, const RecoveryReport& report) {
    std::string journal = endedText(text.substr(0, std::min<std::uint64_t>(text.size(), record.journalSize)));
    for (std::size_t i = 0; i < record.steps.size() && i < report.steps.size(); ++i) {
      if (report.steps[i].place != StepPlace::AtTo) continue;
      const RunStep& step = record.steps[i];
      journal += journalLine(step.from, step.to, m_files.identity(step.to));
    }
    return journal;
  }

  // nullopt when there is no journal to change.
  std::optional<std::string> journalAfterUndo(const std::optional<std::string>& text, const RunRecord& record,
                                              const RecoveryReport& report) {
    if (!text) return std::nullopt;
    const JournalContents journal = parseJournal(*text);
    const JournalIndex index(journal);
    // A journal of another size is no longer the one the stretch began with: the undo rewrote it
    // without the lines it had reversed just before it was cut off.
    const bool asTheStretchFoundIt = text->size() == record.journalSize;
    std::vector<bool> drop(journal.lines.size(), false);
    std::string restored;
    for (std::size_t i = record.steps.size(); i-- > 0;) {  // undo steps go newest first
      if (i >= report.steps.size()) continue;
      const RunStep& step = record.steps[i];
      const StepPlace place = report.steps[i].place;
      if (step.journalLine < 0) continue;
      const auto line = static_cast<std::size_t>(step.journalLine);
      if (place == StepPlace::AtTo && asTheStretchFoundIt && index.lineIsReversedBy(line, step)) drop[line] = true;
      if (place == StepPlace::AtFrom && !asTheStretchFoundIt && !index.hasRenameReversedBy(step))
        restored += journalLine(step.to, step.from, m_files.identity(step.from));
    }
    std::string rewritten = journalTextWithout(journal, drop);
    return restored.empty() ? rewritten : endedText(std::move(rewritten)) + restored;
  }

  rename::RecoveryDirection m_direction;
  rename::FileAccess& m_files;
  const RecoveryOutput& m_output;
};

}  // namespace

RecoveryTally recoverUnfinishedRuns(const std::filesystem::path& dataFolder, RecoveryChoice choice,
                                    rename::FileAccess& files, const RecoveryOutput& output) {
  const auto direction =
      choice == RecoveryChoice::Finish ? rename::RecoveryDirection::Finish : rename::RecoveryDirection::Rollback;
  RunRecovery recovery(direction, files, output);
  RecoveryTally tally;
  // Every record stays claimed until the end: one that has to stay in the folder is then not
  // claimed a second time, and the next claim reaches the runs after it.
  std::vector<std::unique_ptr<rename::ClaimedRunRecord>> claimed;
  while (std::unique_ptr<rename::ClaimedRunRecord> record = rename::claimUnfinishedRun(dataFolder)) {
    ++tally.runs;
    if (!recovery.recover(*record)) tally.complete = false;
    claimed.push_back(std::move(record));
  }
  return tally;
}

}  // namespace namitra::cli
