#include "rename/rename_run.h"

#include "rename/messages.h"
#include "rename/name_index.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace namitra::rename {

namespace {

constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);

bool hasBlankPlannedName(const FileList& list) {
  return std::any_of(list.rows().begin(), list.rows().end(),
                     [](const FileEntry& row) { return row.plannedName.empty(); });
}

// The question is raised by an existing file whose stored spelling differs from the planned
// name: another file of the same name in other letter case, or the row's own file.
bool raisesQuestion(const TargetFacts& target, std::string_view plannedName) {
  if (!target.isFile) return false;
  switch (target.kind) {
    case TargetKind::ExistingFile:
    case TargetKind::OwnSpelling:
    case TargetKind::RowSource:
      return target.storedName != plannedName;
    default:
      return false;
  }
}

std::string failureLine(const PlannedMove& move, const MoveOutcome& outcome) {
  std::string line = ">> " + move.from + " -> " + move.to + ": " + outcome.reason();
  if (!outcome.leftAt.empty()) line += " (" + outcome.leftAt + ")";
  return line;
}

std::string summaryLine(std::size_t succeeded, std::size_t failed) {
  std::string line = failed > 0 ? ">> " : "\x81\xa1";  // the square of a finished command
  line += text::kSucceeded + std::to_string(succeeded) + text::kCount + text::kFailedJoin +
          std::to_string(failed) + text::kCount;
  return line;
}

RunReport stopped(RunOutcome outcome, std::string line) {
  RunReport report;
  report.outcome = outcome;
  if (!line.empty()) report.log.push_back(std::move(line));
  return report;
}

RunReport selecting(RunOutcome outcome, std::size_t line, const std::string& plannedName) {
  RunReport report;
  report.outcome = outcome;
  report.selectLine = static_cast<int>(line);
  report.selectLength = static_cast<int>(plannedName.size());
  return report;
}

std::vector<PlannedMove> movesOf(const FileList& list) {
  std::vector<PlannedMove> moves;
  moves.reserve(list.size());
  for (const FileEntry& row : list.rows()) moves.push_back({row.currentPath(), row.plannedPath()});
  return moves;
}

// The overwrite question: nullopt when the run is to stop (with `report` filled in).
std::optional<bool> askOverwriteOnce(const FileList& list, const RenameBatch& batch,
                                     const RunCallbacks& callbacks, RunReport& report) {
  for (std::size_t i = 0; i < batch.size(); ++i) {
    const TargetFacts& target = batch.target(i);
    if (target.kind == TargetKind::Unreadable) {
      report = stopped(RunOutcome::DirectoryEntryUnreadable, text::kDirectoryEntryUnreadable);
      return std::nullopt;
    }
    if (!raisesQuestion(target, batch.nativePlannedName(i))) continue;
    OverwriteAnswer answer = callbacks.askOverwrite
                                 ? callbacks.askOverwrite(overwriteQuestionText(list.row(i).plannedName))
                                 : OverwriteAnswer::Cancel;
    report.askedOverwrite = true;
    if (answer == OverwriteAnswer::Cancel) {
      report = selecting(RunOutcome::Cancelled, i, list.row(i).plannedName);
      report.askedOverwrite = true;
      return std::nullopt;
    }
    return answer == OverwriteAnswer::Yes;
  }
  return false;
}

}  // namespace

std::optional<std::pair<std::size_t, std::size_t>> findFirstDuplicate(const std::vector<std::string>& paths) {
  return findFirstDuplicate(std::vector<std::string_view>(paths.begin(), paths.end()));
}

std::optional<std::pair<std::size_t, std::size_t>> findFirstDuplicate(const std::vector<std::string_view>& paths) {
  NameIndex firstRow(paths.size());
  std::vector<std::size_t> secondRow(paths.size(), kNoRow);
  for (std::size_t k = 0; k < paths.size(); ++k) {
    const std::size_t first = firstRow.insert(paths[k], k);
    if (first != k && secondRow[first] == kNoRow) secondRow[first] = k;
  }
  // A row that repeats an earlier path comes after that path's first row, so the first row
  // with a duplicate is a first occurrence.
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (secondRow[i] != kNoRow) return std::make_pair(i, secondRow[i]);
  }
  return std::nullopt;
}

std::string duplicateErrorText(const std::string& plannedPath) {
  return "\"" + plannedPath + "\"" + text::kDuplicateNameTail;
}

std::string overwriteQuestionText(const std::string& plannedName) {
  return "\"" + plannedName + "\"" + text::kOverwriteQuestionTail;
}

RunReport actFileListExecute(const FileList& list, ChangeHistory& history, FileAccess& files,
                             const NativeName& native, const RunCallbacks& callbacks) {
  if (list.empty()) return stopped(RunOutcome::NothingRegistered, text::kNothingRegistered);
  if (hasBlankPlannedName(list)) return stopped(RunOutcome::BlankPlannedName, text::kBlankPlannedName);
  std::vector<PlannedMove> moves = movesOf(list);
  {
    std::vector<std::string_view> planned;
    planned.reserve(moves.size());
    for (const PlannedMove& move : moves) planned.push_back(move.to);
    if (auto duplicate = findFirstDuplicate(planned)) {
      RunReport report = selecting(RunOutcome::DuplicatePlannedPath, duplicate->second,
                                   list.row(duplicate->first).plannedName);
      report.errorText = duplicateErrorText(std::string(planned[duplicate->first]));
      return report;
    }
  }
  RenameBatch batch(std::move(moves), files, native);
  RunReport report;
  std::optional<bool> overwrite = askOverwriteOnce(list, batch, callbacks, report);
  if (!overwrite) return report;
  report.overwriteAllowed = *overwrite;
  batch.execute(*overwrite, history, callbacks.progress, callbacks.progressInterval);
  for (std::size_t i = 0; i < batch.size(); ++i) {
    if (batch.outcome(i).state == MoveState::Failed) report.log.push_back(failureLine(batch.move(i), batch.outcome(i)));
  }
  report.succeeded = batch.succeeded();
  report.failed = batch.failed();
  report.log.push_back(summaryLine(report.succeeded, report.failed));
  report.log.push_back(text::kRenameFinished);
  return report;
}

void selectPlannedName(editor::TextEditor& edit, int line, int length) {
  edit.MoveCaret(line, 0);
  edit.SelectForward(length);
}

std::string UndoReport::statusText() const {
  if (failed == 0) return {};
  return std::to_string(failed) + text::kUndoFailedTail + firstReason;
}

UndoReport undoCheckedRecords(ChangeHistory& history, FileAccess& files, const NativeName& native,
                              const ProgressCallback& progress) {
  std::vector<std::size_t> rows;  // newest first
  for (std::size_t i = history.size(); i-- > 0;) {
    if (history.record(i).checked) rows.push_back(i);
  }
  std::vector<PlannedMove> moves;
  moves.reserve(rows.size());
  for (std::size_t i : rows) moves.push_back({history.record(i).pathAfter(), history.record(i).pathBefore()});
  RenameBatch batch(std::move(moves), files, native);
  batch.execute(false, history, progress);
  std::vector<bool> remove(history.size(), false);
  UndoReport report;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const MoveOutcome& outcome = batch.outcome(k);
    if (outcome.state == MoveState::Done) {
      remove[rows[k]] = true;
      ++report.undone;
      continue;
    }
    history.setChecked(rows[k], false);
    if (outcome.state != MoveState::Failed) continue;
    if (report.failed++ == 0) report.firstReason = outcome.reason();
  }
  history.removeRows(remove);
  return report;
}

}  // namespace namitra::rename
