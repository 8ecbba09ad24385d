// A batch of renames carried out together so that no file is ever destroyed: the renames of
// one run of the rename command, or the reversal of a stretch of checked history records.
//
// Files are known by identity, not by spelling. Before anything moves, the batch makes each
// folder absolute and free of symbolic links, "." and ".." (folders that are one folder under
// two spellings become one), and lists every folder of a source or a target once. The listing
// gives each entry's inode number, which with the folder's device is the entry's identity, so
// the batch learns without a stat per row which file every row moves and what is at every
// target: nothing, the row's own file (spelled the same, or in other letter case on a folder
// that ignores case, or another hard link of it), another row's file, or a file or folder that
// is no row's. Two rows that name the same file are not both carried out: the later is refused
// before anything moves.
//
// Then it plans the order and renames. A target that is any row's file is never replaced:
// such a row waits until that row has moved (a->b, b->c renames b first), and a cycle (a->b,
// b->a) goes through the temporary name reserved for its first row. When a step of a cycle
// fails, the steps made are reversed and the temporary name is moved back, so the files keep
// their old names and every file's content stays at exactly one path. Only a target that
// existed before the batch and is no row's file may be replaced, and only when the batch is told
// so. A rename to the row's own file under another spelling goes through its temporary name as
// well, and counts as done only when the folder's listing then shows the planned spelling.
// Rows inside a folder that the batch renames go before that folder, deepest first.
//
// A batch given a run record writes every step of its plan there, durably, before its first
// rename, so that a crash at any moment leaves a run that can be finished or rolled back
// (rename/run_recovery.h).
//
// Every row that succeeded is appended to the history in the order of success, with the
// identity of the file it moved; the temporary steps never are.
//
// A batch over 100,000 rows spends little beyond the renames themselves: it keeps views of the
// caller's texts, not copies, numbers each folder once, converts for the disk only names that
// are not plain ASCII, composes each path in one reused buffer, and holds about 100 bytes per
// row.
#pragma once

#include "rename/change_history.h"
#include "rename/name_index.h"
#include "rename/run_record.h"
#include "rename/file_access.h"
#include "rename/text_store.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace namitra::platform {
class NameCodec;
}

namespace namitra::rename {

// Converts text of the program to the bytes of the disk; nullopt when it cannot be. The
// conversion goes character by character and leaves ASCII as it is, so the batch converts a
// path in pieces (folder, name) and only the pieces that are not plain ASCII.
using NativeName = std::function<std::optional<std::string>(std::string_view internal)>;

// Through the name codec. A name whose conversion has to fall back to U+FFFD is refused rather
// than renamed to a name nobody asked for (a real U+FFFD in a name is refused with it).
NativeName nativeNamesOf(const platform::NameCodec& codec);
// The program's text used as it stands (tests, benchmarks).
NativeName nativeNamesAsTheyAre();

using ProgressCallback = std::function<void(std::size_t done, std::size_t total)>;

enum class TargetKind : std::uint8_t {
  Free,
  Unchanged,       // the target is the source itself, spelled the same
  OwnSpelling,     // the source itself under another spelling (a folder that ignores case)
  OwnOtherName,    // the source itself under another name: a hard link of it (refused)
  RowSource,       // the file of another row, on disk now
  ExistingFile,    // a file that is no row's source
  ExistingFolder,
  Unreadable,      // something is there, but its folder cannot be listed
  NotConvertible,
  SameFileTwice,   // an earlier row moves the same file (refused)
  NotTheRecordedFile,  // undo: the file at the source is not the one the record moved (refused)
};

struct TargetFacts {
  TargetKind kind = TargetKind::Free;
  std::size_t sourceRow = 0;       // for RowSource
  std::string_view storedName;     // the spelling found on disk (native), for the kinds found there
  bool isFile = false;             // an existing entry that is no folder
};

enum class MoveState : std::uint8_t { Pending, Done, Unchanged, Failed };
enum class FailureKind : std::uint8_t {
  System,
  NotConvertible,
  CycleUndone,
  NameNotShown,
  SameFileTwice,
  TargetIsSameFile,
  NotTheRecordedFile,
};

struct MoveOutcome {
  MoveState state = MoveState::Pending;
  FailureKind failure = FailureKind::System;
  int error = 0;
  std::string leftAt;  // a temporary path (program's text) where the file stayed, if any

  // The reason in the program's text (Shift-JIS; the system's texts are ASCII).
  std::string reason() const;
};

// What a batch writes to its run record besides its steps.
struct BatchRecording {
  RunRecordWriter* writer = nullptr;
  RunRecord header;  // id, origin, kind, journal: the batch adds the steps
  // namitra-cli --undo: the journal line that row `row` reverses, or -1.
  std::function<std::int64_t(std::size_t row)> journalLineOf;
};

class RenameBatch {
 public:
  RenameBatch(FileAccess& files, const NativeName& native);

  void reserve(std::size_t rows);
  // Adds the rename of fromFolder + fromName to toFolder + toName (folders with their trailing
  // "/", or empty). The texts are not copied: they must stay unchanged while the batch lives.
  void add(std::string_view fromFolder, std::string_view fromName, std::string_view toFolder,
           std::string_view toName);
  // The same, for the reversal of a recorded rename: the row is refused unless the file at its
  // source is `recorded` (when that is known).
  void addReversal(std::string_view fromFolder, std::string_view fromName, std::string_view toFolder,
                   std::string_view toName, const FileIdentity& recorded);
  // Adds the rename of folder + name to folder + plannedName. A planned name holding "/" names a
  // path below `folder`; the batch keeps the joined folder itself.
  void addPlanned(std::string_view folder, std::string_view name, std::string_view plannedName);

  // The first row i whose target path occurs in another row too, and the first such other row
  // j (j > i); compared byte for byte in the program's text, in time linear in the rows. Call
  // after the last add and before survey().
  std::optional<std::pair<std::size_t, std::size_t>> firstRepeatedTarget();

  // Learns what every row's target is; call once, after the last add.
  void survey();

  std::size_t size() const { return m_rows.size(); }
  TargetFacts target(std::size_t i) const;
  // The planned file name (after the last "/") as the disk spells it.
  std::string_view nativePlannedName(std::size_t i) const { return nativeToName(m_rows[i]); }
  // The full paths of row i in the program's text.
  std::string fromPath(std::size_t i) const;
  std::string toPath(std::size_t i) const;

  // Renames every row; `overwriteAllowed` lets a target of kind ExistingFile be replaced.
  // Successful rows are appended to `history`; `progress` is called every `interval` rows.
  // With `recording`, the plan is written to its run record first; false, with nothing renamed,
  // when that fails (the writer's lastError says why).
  bool execute(bool overwriteAllowed, ChangeHistory& history, const ProgressCallback& progress = {},
               std::size_t interval = 500, BatchRecording* recording = nullptr);

  // The id that names the batch's temporaries and its run record.
  const std::string& runId() const { return m_runId; }
  // The identity of the file row i moves, as found by the survey (unknown when none was found).
  FileIdentity sourceIdentity(std::size_t i) const { return m_rows[i].source; }

  MoveOutcome outcome(std::size_t i) const;
  MoveState state(std::size_t i) const { return m_rows[i].state; }
  std::size_t succeeded() const { return m_succeeded; }
  std::size_t failed() const { return m_failed; }

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  struct Row {
    std::string_view fromName;   // program's text
    std::string_view toName;
    std::uint32_t fromFolder;    // index into m_folders
    std::uint32_t toFolder;
    std::uint32_t native = kNone;  // index into m_nativeNames; kNone: the names are ASCII
    TargetKind kind = TargetKind::Free;
    MoveState state = MoveState::Pending;
    FailureKind failure = FailureKind::System;
    std::uint16_t flags = 0;     // what the listings showed, the visit state of execute
    int error = 0;
    std::uint32_t sourceRow = 0;  // for RowSource
    std::uint32_t step = kNone;   // the row's place in the plan
    FileIdentity source;          // the file the row moves, found by the survey
  };
  // A folder as the rows spell it, and the native folder it stands for.
  struct Folder {
    std::string_view text;
    std::uint32_t native = kNone;  // index into m_nativeFolders; kNone: not convertible
  };
  struct FoldedEntry {
    std::string stored;
    bool isFolder = false;
    std::uint64_t inode = 0;
  };
  // A folder of the disk: one for all the spellings the rows give it.
  struct NativeFolder {
    std::string path;              // absolute, without links, "." or ".." where the folder exists
    FileIdentity identity;
    bool listed = false;
    bool ignoresCase = false;
    bool inodesExact = true;       // the listing's inode numbers are the files' own
    std::unordered_map<std::string, FoldedEntry> byFoldedName;  // only when it ignores case
  };

  std::uint32_t folderNumber(std::string_view folder, bool keepCopy);
  std::uint32_t nativeFolderOf(const Row& row, bool target) const {
    return m_folders[target ? row.toFolder : row.fromFolder].native;
  }
  std::string_view nativeFromName(const Row& row) const;
  std::string_view sourceName(std::size_t i) const;
  std::string_view nativeToName(const Row& row) const;
  const std::string& nativeFrom(std::size_t i);  // composed in a buffer reused for every row
  const std::string& nativeTo(std::size_t i);
  std::string nativeFromCopy(std::size_t i) { return nativeFrom(i); }
  std::string nativeToCopy(std::size_t i) { return nativeTo(i); }

  void convertNames();
  void mergeFoldersByIdentity();
  void indexTargets();
  void indexSources();
  bool foldersNumberedAlike() const;
  std::optional<std::string_view> nativeOf(std::string_view name);
  std::uint32_t findTarget(std::uint32_t nativeFolder, std::string_view name) const;
  std::uint32_t findTarget(std::uint64_t hash, std::uint32_t nativeFolder, std::string_view name) const;
  std::uint32_t findSource(std::uint64_t hash, std::uint32_t nativeFolder, std::string_view name) const;
  void listFolder(std::uint32_t nativeFolder);
  void checkListedInodes(std::uint32_t nativeFolder, std::uint32_t probe);
  void detectIgnoredCase(NativeFolder& folder, const std::string& flipped, bool flippedListed);
  void listFoldedNames(NativeFolder& folder);
  const FoldedEntry* foldedEntry(std::uint32_t nativeFolder, std::string_view name) const;
  FileIdentity identityOfEntry(std::uint32_t nativeFolder, std::string_view name, std::uint64_t inode,
                               bool isFolder);
  void identifySources();
  void refuseRepeatedSources();
  std::uint32_t rowMoving(const FileIdentity& file) const;
  std::uint16_t seenFlags(std::size_t i) const;
  FileIdentity targetIdentity(std::size_t i);
  void classifyTarget(std::size_t i);
  void classifyOwnFile(std::size_t i, std::string_view storedName);
  void markTargetsTaken();

  void plan();
  std::vector<std::uint32_t> deepestFirst() const;
  void chainFrom(std::size_t start, std::vector<std::uint32_t>& chain);
  void planChain(const std::vector<std::uint32_t>& chain);
  void planRow(std::uint32_t row);
  bool writeRecord(BatchRecording& recording, bool overwriteAllowed);
  bool isCrossDevice(std::size_t i) const;
  std::string temporaryOf(std::size_t i);
  MoveScratch scratchFor(std::size_t i);

  void runPlannedCycle(std::uint32_t begin, std::uint32_t end);
  void runCycle(const std::vector<std::uint32_t>& cycle);
  void runSingle(std::size_t i);
  void runOwnSpelling(std::size_t i);
  RenameStatus move(std::size_t i, const std::string& from, const std::string& to, bool replace);
  void checkOwnSpellings();
  void leaveAt(std::size_t i, const std::string& temporary);
  void succeed(std::size_t i);
  void appendToHistory(std::size_t i);
  void fail(std::size_t i, FailureKind kind, int error = 0);
  void finishedOne();

  FileAccess& m_files;
  NativeName m_native;
  std::vector<Row> m_rows;
  std::vector<Folder> m_folders;
  std::unordered_map<std::string_view, std::uint32_t> m_folderNumbers;
  std::uint32_t m_lastFolder = kNone;
  std::deque<std::string> m_ownFolders;   // folders joined from planned names
  std::string m_joined;                   // reused to join a folder for lookup
  std::vector<NativeFolder> m_nativeFolders;
  std::vector<std::pair<std::string_view, std::string_view>> m_nativeNames;  // (from, to)
  TextStore m_text;                       // converted names, spellings found on disk
  NameIndex m_targets;                    // rows by target
  NameIndex m_sources;                    // rows by source
  bool m_targetsIndexed = false;          // by firstRepeatedTarget, in the program's text
  bool m_namesAscii = true;               // every name is plain ASCII: its own native name
  bool m_hasFolderRows = false;           // some row moves a folder
  std::unordered_map<std::uint32_t, std::uint32_t> m_repeatOf;  // row -> first row with its target
  std::unordered_map<std::uint32_t, std::uint32_t> m_sourceRepeatOf;  // row -> first row with its source
  std::unordered_map<std::uint32_t, std::uint64_t> m_targetInodes;    // rows whose target is listed
  NameIndex m_rowByFile;                  // rows by the file they move
  std::unordered_map<std::uint32_t, FileIdentity> m_recorded;  // reversals: the file expected
  std::unordered_map<std::uint32_t, FileIdentity> m_copies;    // cross-device rows: the copy made
  std::unordered_map<std::uint32_t, std::string_view> m_storedSpelling;        // of targets
  std::unordered_map<std::uint32_t, std::string_view> m_storedSourceSpelling;  // of sources spelled otherwise
  std::unordered_map<std::uint32_t, std::string> m_leftAt;
  std::vector<std::uint32_t> m_plan;          // rows in the order of their steps
  std::vector<std::pair<std::uint32_t, std::uint32_t>> m_cycles;  // [begin, end) of each cycle in m_plan
  std::vector<std::uint32_t> m_ownSpellings;  // renamed rows whose spelling is still to be checked
  std::vector<std::uint32_t> m_heldBack;      // rows for the history once they are checked
  std::string m_fromPath;
  std::string m_toPath;
  std::string m_runId;

  bool m_overwriteAllowed = false;
  ChangeHistory* m_history = nullptr;
  const ProgressCallback* m_progress = nullptr;
  BatchRecording* m_recording = nullptr;
  std::size_t m_interval = 500;
  std::size_t m_finished = 0;
  std::size_t m_succeeded = 0;
  std::size_t m_failed = 0;
};

}  // namespace namitra::rename
