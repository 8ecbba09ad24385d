#include "cli/execution.h"

#include "rename/messages.h"
#include "rename/rename_batch.h"
#include "rename/run_record.h"

#include <algorithm>
#include <memory>

namespace namitra::cli {

namespace {

rename::RunReport stopped(rename::RunOutcome outcome, std::string line) {
  rename::RunReport report;
  report.outcome = outcome;
  report.log.push_back(std::move(line));
  return report;
}

std::string failureLine(const rename::RenameBatch& batch, std::size_t i) {
  const rename::MoveOutcome outcome = batch.outcome(i);
  std::string line = ">> " + batch.fromPath(i) + " -> " + batch.toPath(i) + ": " + outcome.reason();
  if (!outcome.leftAt.empty()) line += " (" + outcome.leftAt + ")";
  return line;
}

bool hasBlankPlannedName(const rename::FileList& list) {
  return std::any_of(list.rows().begin(), list.rows().end(),
                     [](const rename::FileEntry& row) { return row.plannedName.empty(); });
}

rename::RunReport recordNotWritten(const std::string& reason) {
  return stopped(rename::RunOutcome::RecordNotWritten, rename::text::kRecordNotWritten + reason);
}

// The batch carried out with its run record written first and removed after, as the core run
// does it; false with `error` set when the record could not be written (nothing was renamed).
bool executeRecorded(rename::RenameBatch& batch, rename::ChangeHistory& history,
                     const rename::RunRecording* recording, std::string& error) {
  if (!recording) return batch.execute(true, history);
  std::unique_ptr<rename::RunRecordWriter> writer =
      rename::RunRecordWriter::create(recording->dataFolder, batch.runId(), error);
  if (!writer) return false;
  rename::BatchRecording batchRecording;
  batchRecording.writer = writer.get();
  batchRecording.header.origin = recording->origin;
  batchRecording.header.kind = rename::RunKind::Rename;
  batchRecording.header.journal = recording->journal;
  batchRecording.header.journalSize = recording->journalSize;
  const bool ran = batch.execute(true, history, {}, 500, &batchRecording);
  if (!ran) error = writer->lastError();
  writer->remove();
  return ran;
}

// The run with OverwriteAllowed set from the start. The core run sets it only by the answer to
// its question, which it raises for a differently spelled target alone; so this follows the
// run's steps with the question left out: the same checks in the same order, then the same
// batch, which replaces only a file that is no row's source.
rename::RunReport runReplacingExisting(const rename::FileList& list, rename::ChangeHistory& history,
                                       rename::FileAccess& files, const rename::NativeName& native,
                                       const rename::RunRecording* recording) {
  if (list.empty()) return stopped(rename::RunOutcome::NothingRegistered, rename::text::kNothingRegistered);
  if (hasBlankPlannedName(list)) return stopped(rename::RunOutcome::BlankPlannedName, rename::text::kBlankPlannedName);
  rename::RenameBatch batch(files, native);
  batch.reserve(list.size());
  for (const rename::FileEntry& row : list.rows()) batch.addPlanned(row.folder, row.name, row.plannedName);
  if (auto duplicate = batch.firstRepeatedTarget()) {
    rename::RunReport report;
    report.outcome = rename::RunOutcome::DuplicatePlannedPath;
    report.errorText = rename::duplicateErrorText(list.row(duplicate->first).plannedPath());
    return report;
  }
  batch.survey();
  for (std::size_t i = 0; i < batch.size(); ++i) {
    if (batch.target(i).kind == rename::TargetKind::Unreadable)
      return stopped(rename::RunOutcome::DirectoryEntryUnreadable, rename::text::kDirectoryEntryUnreadable);
  }
  if (std::string error; !executeRecorded(batch, history, recording, error)) return recordNotWritten(error);
  rename::RunReport report;
  report.overwriteAllowed = true;
  for (std::size_t i = 0; i < batch.size(); ++i) {
    if (batch.state(i) == rename::MoveState::Failed) report.log.push_back(failureLine(batch, i));
  }
  report.succeeded = batch.succeeded();
  report.failed = batch.failed();
  return report;
}

}  // namespace

Execution executeRenames(const rename::FileList& list, rename::FileAccess& files, const platform::NameCodec& codec,
                         bool overwrite, JournalWriter* journal, const rename::RunRecording* recording) {
  Execution execution;
  rename::ChangeHistory history;
  if (journal) {
    history.setAppendListener([&](std::size_t index) {
      const rename::HistoryRecord record = history.record(index);
      if (!journal->append(codec.toNative(record.pathBefore()), codec.toNative(record.pathAfter()), record.identity) &&
          execution.journalError.empty())
        execution.journalError = journal->lastError();
    });
  }
  const rename::NativeName native = rename::nativeNamesOf(codec);
  if (overwrite) {
    execution.report = runReplacingExisting(list, history, files, native, recording);
  } else {
    rename::RunCallbacks callbacks;
    callbacks.askOverwrite = [](const std::string&) { return rename::OverwriteAnswer::No; };
    callbacks.recording = recording;
    execution.report = rename::actFileListExecute(list, history, files, native, callbacks);
  }
  // A finished run logs its failure lines first, one per failed row, then its summary.
  if (execution.report.outcome == rename::RunOutcome::Finished) {
    const auto failed = static_cast<std::ptrdiff_t>(execution.report.failed);
    execution.failureLines.assign(execution.report.log.begin(), execution.report.log.begin() + failed);
  }
  return execution;
}

}  // namespace namitra::cli
