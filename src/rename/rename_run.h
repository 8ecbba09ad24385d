// The rename command (actFileListExecute) and the undo of the change history (actUndo).
//
// A run makes its checks in this order, each stopping the run with no file renamed: an empty
// list, an empty planned name, a full planned path that occurs twice (found in linear time,
// giving the first row i that has a duplicate and its first duplicate j), a target whose
// folder cannot be read. Then it asks at most once, through a callback, whether existing files
// may be replaced, and renames every row as a RenameBatch (rename/rename_batch.h), so that
// chains and cycles resolve and no row's source is ever replaced. The window shows what the
// report holds: the log lines (each failure as ">> path: reason", a summary of how many
// succeeded and failed, the closing line), the error dialog text, and the line and length to
// select in the edit text.
//
// Undo reverses the checked history records, newest first, as one batch with the same rules
// and never replacing. Records undone are removed and their reverse records appended; a record
// whose reversal failed stays, unchecked, and the report says how many and why.
#pragma once

#include "editor/text_editor.h"
#include "rename/change_history.h"
#include "rename/file_list.h"
#include "rename/rename_batch.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace namitra::rename {

enum class OverwriteAnswer { Yes, No, Cancel };  // a closed dialog counts as Cancel

// Where a run writes its run record (rename/run_record.h) before its first rename. A run given
// none writes no record (tests of other things, benchmarks comparing the cost).
struct RunRecording {
  std::filesystem::path dataFolder;
  std::string origin = "window";
  std::string journal;            // namitra-cli: the journal's native path
  std::uint64_t journalSize = 0;  // ... and its size before the run
  // namitra-cli --undo: the journal line (0-based) that history record `record` came from, or -1.
  std::function<std::int64_t(std::size_t record)> journalLineOf;
  // Undo: called after each stretch of records has been reversed, before its run record is
  // removed, with the records (indices into the history as the undo found it) it reversed.
  std::function<void(const std::vector<std::size_t>& reversed)> stretchDone;
};

struct RunCallbacks {
  // Shows the warning dialog ("警告", buttons Yes, No, Cancel) with the given text.
  std::function<OverwriteAnswer(const std::string& text)> askOverwrite;
  ProgressCallback progress;
  std::size_t progressInterval = 500;
  const RunRecording* recording = nullptr;
};

enum class RunOutcome {
  NothingRegistered,
  BlankPlannedName,
  DuplicatePlannedPath,      // show `errorText` in the error dialog, then select
  DirectoryEntryUnreadable,
  RecordNotWritten,          // the run record could not be written: nothing was renamed
  Cancelled,                 // select
  Finished,
};

struct RunReport {
  RunOutcome outcome = RunOutcome::Finished;
  std::vector<std::string> log;  // the lines to log, in order
  std::string errorText;
  // After the dialog: show the edit page, focus the edit text and select `selectLength` bytes
  // from the start of line `selectLine` (see selectPlannedName); -1 when nothing is selected.
  int selectLine = -1;
  int selectLength = 0;
  std::size_t succeeded = 0;
  std::size_t failed = 0;
  bool askedOverwrite = false;
  bool overwriteAllowed = false;
};

// The texts of the two dialogs of a run.
std::string duplicateErrorText(const std::string& plannedPath);
std::string overwriteQuestionText(const std::string& plannedName);

RunReport actFileListExecute(const FileList& list, ChangeHistory& history, FileAccess& files,
                             const NativeName& native, const RunCallbacks& callbacks);

// The caret to column 0 of `line` and `length` bytes selected from there.
void selectPlannedName(editor::TextEditor& edit, int line, int length);

struct UndoReport {
  std::size_t undone = 0;
  std::size_t failed = 0;
  std::string firstReason;  // the reason of the first reversal that failed
  bool recordNotWritten = false;  // the run record could not be written: nothing was undone

  // The status bar text of the history window: empty when everything was undone, else
  // "N件を元に戻せませんでした: reason".
  std::string statusText() const;
};

// actUndo after the answer Yes to kUndoQuestion.
UndoReport undoCheckedRecords(ChangeHistory& history, FileAccess& files, const NativeName& native,
                              const ProgressCallback& progress = {}, const RunRecording* recording = nullptr);

}  // namespace namitra::rename
