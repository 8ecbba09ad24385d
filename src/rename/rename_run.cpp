#include "rename/rename_run.h"

#include "rename/messages.h"

#include <algorithm>
#include <string_view>

namespace namitra::rename {

namespace {

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

std::string failureLine(const RenameBatch& batch, std::size_t i) {
  const MoveOutcome outcome = batch.outcome(i);
  std::string line = ">> " + batch.fromPath(i) + " -> " + batch.toPath(i) + ": " + outcome.reason();
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

// The overwrite question: nullopt when the run is to stop (with `report` filled in).
std::optional<bool> askOverwriteOnce(const FileList& list, const RenameBatch& batch,
                                     const RunCallbacks& callbacks, RunReport& report) {
  for (std::size_t i = 0; i < batch.size(); ++i) {
    const TargetFacts target = batch.target(i);
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
  RenameBatch batch(files, native);
  batch.reserve(list.size());
  for (const FileEntry& row : list.rows()) batch.addPlanned(row.folder, row.name, row.plannedName);
  if (auto duplicate = batch.firstRepeatedTarget()) {
    const FileEntry& first = list.row(duplicate->first);
    RunReport report = selecting(RunOutcome::DuplicatePlannedPath, duplicate->second, first.plannedName);
    report.errorText = duplicateErrorText(first.plannedPath());
    return report;
  }
  batch.survey();
  RunReport report;
  std::optional<bool> overwrite = askOverwriteOnce(list, batch, callbacks, report);
  if (!overwrite) return report;
  report.overwriteAllowed = *overwrite;
  batch.execute(*overwrite, history, callbacks.progress, callbacks.progressInterval);
  for (std::size_t i = 0; i < batch.size(); ++i) {
    if (batch.state(i) == MoveState::Failed) report.log.push_back(failureLine(batch, i));
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
                              const ProgressCallback& progress, const RunRecording* recording) {
  std::vector<std::size_t> rows;  // newest first
  for (std::size_t i = history.size(); i-- > 0;) {
    if (history.isChecked(i)) rows.push_back(i);
  }
  // The batch keeps views of the records' texts, which appends leave where they are.
  RenameBatch batch(files, native);
  batch.reserve(rows.size());
  for (std::size_t i : rows) {
    const HistoryRecordView record = history.view(i);
    batch.add(record.newFolder, record.nameAfter, record.folder, record.nameBefore);
  }
  batch.survey();
  batch.execute(false, history, progress);
  std::vector<bool> remove(history.size(), false);
  UndoReport report;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const MoveOutcome outcome = batch.outcome(k);
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
