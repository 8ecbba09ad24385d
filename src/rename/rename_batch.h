// A batch of renames carried out together so that no file is ever destroyed: the renames of
// one run of the rename command, or the reversal of the checked history records.
//
// Before anything moves, the batch surveys the targets: it lists each folder of a source or a
// target once (one readdir instead of one stat per row) and learns for every row whether its
// target is free, the row's own source, another row's source that is on disk, an existing file
// or folder, or the row's own file under another spelling (on a folder that ignores case,
// found by one probe per folder). A source that is not on disk holds no place: in an undo
// batch, newest first, an older record's source is often a newer record's target.
//
// Then it renames. A target that is another row's source is never replaced: such a row waits
// until that row has moved (a->b, b->c renames b first), and a cycle (a->b, b->a) goes through a
// temporary name in the folder of its first row. When a step of a cycle fails, the steps made
// are reversed and the temporary name is moved back, so the files keep their old names and
// every file's content stays at exactly one path. Only a target that existed before the batch
// and is no row's source may be replaced, and only when the batch is told so. A rename to the
// row's own file under another spelling goes through a temporary name as well (a case-
// insensitive file system may accept the direct rename without changing anything), and counts
// as done only when the folder's listing then shows the planned spelling.
//
// Every row that succeeded is appended to the history in the order of success; the temporary
// steps never are.
#pragma once

#include "rename/change_history.h"
#include "rename/rename_file.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::platform {
class NameCodec;
}

namespace namitra::rename {

// Converts a path of the program's text to the bytes of the disk; nullopt when it cannot be.
using NativeName = std::function<std::optional<std::string>(std::string_view internal)>;

// Through the name codec. A name whose conversion has to fall back to U+FFFD is refused rather
// than renamed to a name nobody asked for (a real U+FFFD in a name is refused with it).
NativeName nativeNamesOf(const platform::NameCodec& codec);
// The program's text used as it stands (tests, benchmarks).
NativeName nativeNamesAsTheyAre();

using ProgressCallback = std::function<void(std::size_t done, std::size_t total)>;

struct PlannedMove {
  std::string from;  // full paths in the program's text
  std::string to;
};

enum class TargetKind {
  Free,
  Unchanged,       // the target is the source itself, spelled the same
  OwnSpelling,     // the source itself under another spelling (a folder that ignores case)
  RowSource,       // the current path of another row, on disk now
  ExistingFile,    // a file that is no row's source
  ExistingFolder,
  Unreadable,      // something is there, but its folder cannot be listed
  NotConvertible,
};

struct TargetFacts {
  TargetKind kind = TargetKind::Free;
  std::size_t sourceRow = 0;   // for RowSource
  std::string storedName;      // the spelling found on disk (native), for the kinds found there
  bool isFile = false;         // an existing entry that is no folder
};

enum class MoveState { Pending, Done, Unchanged, Failed };
enum class FailureKind { System, NotConvertible, CycleUndone, NameNotShown };

struct MoveOutcome {
  MoveState state = MoveState::Pending;
  FailureKind failure = FailureKind::System;
  int error = 0;
  std::string leftAt;  // a temporary path (program's text) where the file stayed, if any

  // The reason in the program's text (Shift-JIS; the system's texts are ASCII).
  std::string reason() const;
};

class RenameBatch {
 public:
  RenameBatch(std::vector<PlannedMove> moves, FileAccess& files, const NativeName& native);

  std::size_t size() const { return m_moves.size(); }
  const PlannedMove& move(std::size_t i) const { return m_moves[i]; }
  const TargetFacts& target(std::size_t i) const { return m_targets[i]; }
  // The planned file name (after the last "/") as the disk spells it.
  std::string_view nativePlannedName(std::size_t i) const;

  // Renames every row; `overwriteAllowed` lets a target of kind ExistingFile be replaced.
  // Successful rows are appended to `history`; `progress` is called every `interval` rows.
  void execute(bool overwriteAllowed, ChangeHistory& history, const ProgressCallback& progress = {},
               std::size_t interval = 500);

  const MoveOutcome& outcome(std::size_t i) const { return m_outcomes[i]; }
  std::size_t succeeded() const { return m_succeeded; }
  std::size_t failed() const { return m_failed; }

 private:
  struct NativeMove {
    std::string from;
    std::string to;
    bool convertible = false;
  };
  struct FolderIndex;

  void survey();
  void listFolderInto(const std::string& folder, FolderIndex& index) const;
  bool isOnDisk(const FolderIndex& folder, const std::string& path) const;
  TargetFacts surveyTarget(std::size_t i, const FolderIndex& folder) const;
  void chainFrom(std::size_t start, std::vector<int>& state, std::vector<std::size_t>& chain) const;
  void runChain(const std::vector<std::size_t>& chain, bool endsInCycle, std::size_t cycleStart);
  void runCycle(const std::vector<std::size_t>& cycle);
  void runSingle(std::size_t i);
  void runOwnSpelling(std::size_t i);
  std::optional<std::string> moveToTemporary(const std::string& from, RenameStatus& status);
  void succeed(std::size_t i);
  void fail(std::size_t i, FailureKind kind, int error = 0);
  void finishedOne();

  std::vector<PlannedMove> m_moves;
  std::vector<NativeMove> m_native;
  std::vector<TargetFacts> m_targets;
  std::vector<MoveOutcome> m_outcomes;
  FileAccess& m_files;
  bool m_overwriteAllowed = false;
  ChangeHistory* m_history = nullptr;
  const ProgressCallback* m_progress = nullptr;
  std::size_t m_interval = 500;
  std::size_t m_finished = 0;
  std::size_t m_succeeded = 0;
  std::size_t m_failed = 0;
  unsigned m_temporaryCounter = 0;
};

}  // namespace namitra::rename
