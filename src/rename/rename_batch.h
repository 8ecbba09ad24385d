// A batch of renames carried out together so that no file is ever destroyed: the renames of
// one run of the rename command, or the reversal of the checked history records.
//
// Before anything moves, the batch surveys the targets: it lists each folder of a target once
// (one listing instead of one stat per row), looking every entry up among the targets, and
// learns for every row whether its target is free, the row's own source, another row's source
// that is on disk, an existing file or folder, or the row's own file under another spelling (on
// a folder that ignores case, found by one probe per folder). A source that is not on disk holds
// no place: in an undo batch, newest first, an older record's source is often a newer record's
// target.
//
// Then it renames. A target that is another row's source is never replaced: such a row waits
// until that row has moved (a->b, b->c renames b first), and a cycle (a->b, b->a) goes through a
// temporary name in the folder of its first row. When a step of a cycle fails, the steps made
// are reversed and the temporary name is moved back, so the files keep their old names and
// every file's content stays at exactly one path. Only a target that existed before the batch
// and is no row's source may be replaced, and only when the batch is told so. A rename to the
// row's own file under another spelling goes through a temporary name as well (a case-
// insensitive file system may accept the direct rename without changing anything, or refuse it
// because the name is taken), and counts
// as done only when the folder's listing then shows the planned spelling; the folder is listed
// once for all such rows, after the other renames.
//
// Every row that succeeded is appended to the history in the order of success; the temporary
// steps never are.
//
// A batch over 100,000 rows spends little beyond the renames themselves: it keeps views of the
// caller's texts, not copies, numbers each folder once, converts for the disk only names that
// are not plain ASCII, composes each path in one reused buffer, and holds about 80 bytes per
// row (memory touched for the first time is dear: in a virtual machine a fresh page can cost as
// much as two renames on tmpfs).
#pragma once

#include "rename/change_history.h"
#include "rename/name_index.h"
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
  RowSource,       // the current path of another row, on disk now
  ExistingFile,    // a file that is no row's source
  ExistingFolder,
  Unreadable,      // something is there, but its folder cannot be listed
  NotConvertible,
};

struct TargetFacts {
  TargetKind kind = TargetKind::Free;
  std::size_t sourceRow = 0;       // for RowSource
  std::string_view storedName;     // the spelling found on disk (native), for the kinds found there
  bool isFile = false;             // an existing entry that is no folder
};

enum class MoveState : std::uint8_t { Pending, Done, Unchanged, Failed };
enum class FailureKind : std::uint8_t { System, NotConvertible, CycleUndone, NameNotShown };

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
  RenameBatch(FileAccess& files, const NativeName& native);

  void reserve(std::size_t rows);
  // Adds the rename of fromFolder + fromName to toFolder + toName (folders with their trailing
  // "/", or empty). The texts are not copied: they must stay unchanged while the batch lives.
  void add(std::string_view fromFolder, std::string_view fromName, std::string_view toFolder,
           std::string_view toName);
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
  void execute(bool overwriteAllowed, ChangeHistory& history, const ProgressCallback& progress = {},
               std::size_t interval = 500);

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
    std::uint8_t flags = 0;      // kSeen, kSeenFolder, kIsFile, the visit state of execute
    int error = 0;
    std::uint32_t sourceRow = 0;
  };
  // A folder as the rows spell it, and the native folder it stands for.
  struct Folder {
    std::string_view text;
    std::uint32_t native = kNone;  // index into m_nativeFolders; kNone: not convertible
  };
  struct FoldedEntry {
    std::string stored;
    bool isFolder = false;
  };
  struct NativeFolder {
    std::string path;
    bool listed = false;
    bool ignoresCase = false;
    std::unordered_map<std::string, FoldedEntry> byFoldedName;  // only when it ignores case
  };

  std::uint32_t folderNumber(std::string_view folder, bool keepCopy);
  std::uint32_t nativeFolderOf(const Row& row, bool target) const {
    return m_folders[target ? row.toFolder : row.fromFolder].native;
  }
  std::string_view nativeFromName(const Row& row) const;
  std::string_view nativeToName(const Row& row) const;
  const std::string& nativeFrom(std::size_t i);  // composed in a buffer reused for every row
  const std::string& nativeTo(std::size_t i);

  void convertNames();
  void indexTargets();
  bool foldersNumberedAlike() const;
  std::optional<std::string_view> nativeOf(std::string_view name);
  std::uint32_t findTarget(std::uint32_t nativeFolder, std::string_view name) const;
  void listTargetFolder(std::uint32_t nativeFolder);
  void listFoldedNames(NativeFolder& folder);
  std::uint8_t seenFlags(std::size_t i) const;
  void classifyTarget(std::size_t i);
  void findWaitingRows();

  void chainFrom(std::size_t start, std::vector<std::uint32_t>& chain);
  void runChain(const std::vector<std::uint32_t>& chain);
  void runCycle(const std::vector<std::uint32_t>& cycle);
  void runSingle(std::size_t i);
  void runOwnSpelling(std::size_t i);
  void checkOwnSpellings();
  std::optional<std::string> moveToTemporary(const std::string& from, RenameStatus& status);
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
  bool m_targetsIndexed = false;          // by firstRepeatedTarget, in the program's text
  bool m_namesAscii = true;               // every name is plain ASCII: its own native name
  std::unordered_map<std::uint32_t, std::uint32_t> m_repeatOf;  // row -> first row with its target
  std::unordered_map<std::uint32_t, std::string_view> m_storedSpelling;
  std::unordered_map<std::uint32_t, std::string> m_leftAt;
  std::vector<std::uint32_t> m_ownSpellings;  // renamed rows whose spelling is still to be checked
  std::vector<std::uint32_t> m_heldBack;      // rows for the history once they are checked
  std::string m_fromPath;
  std::string m_toPath;

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
