#include "rename/rename_run.h"

#include "rename/messages.h"
#include "rename/run_record.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

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

// The run record of one batch: created before the batch runs, removed once its renames are in
// the history (and, through the history's listener, in a journal).
class BatchRecord {
 public:
  // False with `error` set when the record cannot be created.
  bool open(const RunRecording* recording, RunKind kind, const RenameBatch& batch, std::string& error) {
    if (!recording) return true;
    m_writer = RunRecordWriter::create(recording->dataFolder, batch.runId(), error);
    if (!m_writer) return false;
    m_recording.writer = m_writer.get();
    m_recording.header.origin = recording->origin;
    m_recording.header.kind = kind;
    m_recording.header.journal = recording->journal;
    m_recording.header.journalSize = recording->journalSize;
    return true;
  }
  BatchRecording* recording() { return m_writer ? &m_recording : nullptr; }
  std::string lastError() const { return m_writer ? m_writer->lastError() : std::string(); }
  void remove() {
    if (m_writer) m_writer->remove();
  }

 private:
  std::unique_ptr<RunRecordWriter> m_writer;
  BatchRecording m_recording;
};

RunReport recordNotWritten(const std::string& reason) {
  return stopped(RunOutcome::RecordNotWritten, text::kRecordNotWritten + reason);
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
  BatchRecord record;
  std::string error;
  if (!record.open(callbacks.recording, RunKind::Rename, batch, error)) return recordNotWritten(error);
  if (!batch.execute(*overwrite, history, callbacks.progress, callbacks.progressInterval, record.recording())) {
    error = record.lastError();
    record.remove();
    return recordNotWritten(error);
  }
  record.remove();
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
  if (recordNotWritten) return std::string(text::kRecordNotWritten).substr(3) + firstReason;
  if (failed == 0) return {};
  return std::to_string(failed) + text::kUndoFailedTail + firstReason;
}

namespace {

// Undo reverses records newest first as if one at a time, with swaps and cycles among them
// resolved. A batch sees the disk once, before it moves anything, so the records are cut into
// stretches that one batch can reverse: a stretch ends before a record whose reversal needs the
// outcome of one in the stretch — its file is one the stretch moves already (the same file, or
// the same path however it is spelled: through FUSE one file has another inode number under each
// spelling), its source is not on disk but a target of the stretch or inside one, or its target
// is a target of the stretch. Paths are compared as the system resolves them, with ASCII letters
// folded, which on a folder that keeps case only cuts a stretch more often. Each stretch is
// surveyed after the one before has run.
class UndoStretches {
 public:
  UndoStretches(ChangeHistory& history, FileAccess& files, const NativeName& native,
                const std::vector<std::size_t>& records)
      : m_history(history), m_files(files), m_native(native), m_records(records) {}

  // The end of the stretch that starts at records[begin].
  std::size_t stretchEnd(std::size_t begin) {
    m_movedFiles.clear();
    m_sources.clear();
    m_targets.clear();
    m_folders.clear();
    std::size_t end = begin;
    for (; end < m_records.size(); ++end) {
      const HistoryRecordView record = m_history.view(m_records[end]);
      std::optional<std::string> from = nativePath(record.newFolder, record.nameAfter);
      std::optional<std::string> to = nativePath(record.folder, record.nameBefore);
      if (!from || !to) continue;  // the batch refuses it
      const FileIdentity file = m_files.identity(*from);
      std::string source = resolved(*from, nullptr);
      std::string target = resolved(*to, nullptr);
      if (end > begin && needsEarlier(file, *from, source, target)) break;
      if (file.known()) m_movedFiles.insert(file);
      m_sources.insert(std::move(source));
      m_targets.insert(std::move(target));
    }
    return end;
  }

 private:
  static std::string folded(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return result;
  }
  bool needsEarlier(const FileIdentity& file, const std::string& from, const std::string& source,
                    const std::string& target) {
    if ((file.known() && m_movedFiles.count(file)) || m_sources.count(source)) return true;
    bool throughTarget = false;
    if (!file.known()) resolved(from, &throughTarget);
    return throughTarget || m_targets.count(target) > 0;
  }
  // `path` as the system will resolve it once the stretch has run, letters folded: the longest
  // folder of it that exists made canonical, the rest taken as written ("." and empty components
  // dropped, ".." one back). A source that is not on disk may be brought back by the stretch: `throughTarget` tells
  // whether the path is a target of the stretch or passes through one, even one that ".." leaves
  // again.
  std::string resolved(const std::string& path, bool* throughTarget) {
    std::size_t slash = path.rfind('/');
    const std::string* base = nullptr;
    for (; slash != std::string::npos; slash = slash == 0 ? std::string::npos : path.rfind('/', slash - 1)) {
      if ((base = existingFolder(path.substr(0, slash + 1)))) break;
    }
    std::string result = base ? folded(*base) : std::string();  // without its trailing "/"
    if (throughTarget) *throughTarget = isTargetOrBelowOne(result);
    std::string_view rest = std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    while (!rest.empty()) {
      const std::size_t next = std::min(rest.find('/'), rest.size());
      const std::string_view part = rest.substr(0, next);
      rest.remove_prefix(std::min(next + 1, rest.size()));
      if (part.empty() || part == ".") continue;
      if (part == "..") {
        result.resize(std::min(result.rfind('/'), result.size()));
        continue;
      }
      result.append("/").append(folded(part));
      if (throughTarget && m_targets.count(result)) *throughTarget = true;
    }
    return result;
  }
  // The canonical folder without its trailing "/", or nullptr when it is not there.
  const std::string* existingFolder(const std::string& folder) {
    auto known = m_folders.find(folder);
    if (known == m_folders.end()) {
      std::optional<std::string> canonical = m_files.canonicalFolder(folder);
      if (canonical) canonical->pop_back();
      known = m_folders.emplace(folder, std::move(canonical)).first;
    }
    return known->second ? &*known->second : nullptr;
  }
  bool isTargetOrBelowOne(std::string_view path) const {
    for (;;) {
      if (m_targets.count(std::string(path))) return true;
      const std::size_t slash = path.rfind('/');
      if (slash == std::string_view::npos || slash == 0) return false;
      path = path.substr(0, slash);
    }
  }
  std::optional<std::string> nativePath(std::string_view folder, std::string_view name) const {
    std::string path(folder);
    path.append(name);
    return m_native(path);
  }

  ChangeHistory& m_history;
  FileAccess& m_files;
  const NativeName& m_native;
  const std::vector<std::size_t>& m_records;
  std::unordered_set<FileIdentity, FileIdentityHash> m_movedFiles;
  std::unordered_set<std::string> m_sources;  // resolved, letters folded
  std::unordered_set<std::string> m_targets;
  std::unordered_map<std::string, std::optional<std::string>> m_folders;  // as written -> canonical
};

ProgressCallback offsetProgress(const ProgressCallback& progress, std::size_t offset, std::size_t total) {
  if (!progress) return {};
  return [&progress, offset, total](std::size_t done, std::size_t) { progress(offset + done, total); };
}

}  // namespace

UndoReport undoCheckedRecords(ChangeHistory& history, FileAccess& files, const NativeName& native,
                              const ProgressCallback& progress, const RunRecording* recording) {
  std::vector<std::size_t> records;  // newest first
  for (std::size_t i = history.size(); i-- > 0;) {
    if (history.isChecked(i)) records.push_back(i);
  }
  std::vector<bool> remove(history.size(), false);
  UndoReport report;
  UndoStretches stretches(history, files, native, records);
  for (std::size_t begin = 0; begin < records.size();) {
    const std::size_t end = stretches.stretchEnd(begin);
    // The batch keeps views of the records' texts, which appends leave where they are.
    RenameBatch batch(files, native);
    batch.reserve(end - begin);
    for (std::size_t k = begin; k < end; ++k) {
      const HistoryRecordView record = history.view(records[k]);
      batch.addReversal(record.newFolder, record.nameAfter, record.folder, record.nameBefore, record.identity);
    }
    batch.survey();
    BatchRecord record;
    std::string error;
    bool ran = record.open(recording, RunKind::Undo, batch, error);
    if (ran && recording && recording->journalLineOf) {
      record.recording()->journalLineOf = [&](std::size_t row) { return recording->journalLineOf(records[begin + row]); };
    }
    if (ran) ran = batch.execute(false, history, offsetProgress(progress, begin, records.size()), 500, record.recording());
    if (!ran) {
      report.recordNotWritten = true;
      if (report.firstReason.empty()) report.firstReason = error.empty() ? record.lastError() : error;
      record.remove();
      break;
    }
    std::vector<std::size_t> reversed;
    for (std::size_t k = begin; k < end; ++k) {
      const MoveOutcome outcome = batch.outcome(k - begin);
      if (outcome.state == MoveState::Done) {
        remove[records[k]] = true;
        reversed.push_back(records[k]);
        ++report.undone;
        continue;
      }
      history.setChecked(records[k], false);
      if (outcome.state != MoveState::Failed) continue;
      if (report.failed++ == 0) report.firstReason = outcome.reason();
    }
    if (recording && recording->stretchDone) recording->stretchDone(reversed);
    record.remove();
    begin = end;
  }
  remove.resize(history.size(), false);
  history.removeRows(remove);
  return report;
}

}  // namespace namitra::rename
