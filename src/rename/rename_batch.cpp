#include "rename/rename_batch.h"

#include "platform/name_codec.h"
#include "rename/messages.h"
#include "rename/name_index.h"

#include <cassert>
#include <cerrno>
#include <unistd.h>
#include <unordered_map>

namespace namitra::rename {

namespace {

enum VisitState { kUnvisited = 0, kOnChain = 1, kVisited = 2 };
constexpr int kTemporaryAttempts = 100;

std::string_view folderOf(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

std::string_view nameOf(std::string_view path) { return path.substr(folderOf(path).size()); }

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
char flipAscii(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c + 32);
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
  return c;
}

std::string mapped(std::string_view text, char (*map)(char)) {
  std::string result(text);
  for (char& c : result) c = map(c);
  return result;
}

bool hasAsciiLetter(std::string_view name) { return mapped(name, flipAscii) != name; }

}  // namespace

NativeName nativeNamesOf(const platform::NameCodec& codec) {
  return [&codec](std::string_view internal) -> std::optional<std::string> {
    std::string native = codec.toNative(internal);
    if (native.find("\xEF\xBF\xBD") != std::string::npos) return std::nullopt;
    return native;
  };
}

NativeName nativeNamesAsTheyAre() {
  return [](std::string_view internal) -> std::optional<std::string> { return std::string(internal); };
}

std::string MoveOutcome::reason() const {
  switch (failure) {
    case FailureKind::NotConvertible: return text::kReasonNotConvertible;
    case FailureKind::CycleUndone: return text::kReasonCycleUndone;
    case FailureKind::NameNotShown: return text::kReasonNameNotShown;
    case FailureKind::System: break;
  }
  return RenameStatus{error}.reason();
}

// One listing of a folder. The maps look names up in `entries` without copying them;
// `storedByFoldedName` is filled only for a folder that ignores case.
struct RenameBatch::FolderIndex {
  bool listed = false;
  bool ignoresCase = false;
  std::vector<DirectoryEntry> entries;
  NameIndex entryByName;  // index into `entries`
  std::unordered_map<std::string, std::string_view> storedByFoldedName;
};

RenameBatch::RenameBatch(std::vector<PlannedMove> moves, FileAccess& files, const NativeName& native)
    : m_moves(std::move(moves)), m_files(files) {
  m_native.resize(m_moves.size());
  for (std::size_t i = 0; i < m_moves.size(); ++i) {
    std::optional<std::string> from = native(m_moves[i].from);
    std::optional<std::string> to = native(m_moves[i].to);
    if (!from || !to) continue;
    m_native[i] = {std::move(*from), std::move(*to), true};
  }
  m_outcomes.resize(m_moves.size());
  survey();
}

std::string_view RenameBatch::nativePlannedName(std::size_t i) const { return nameOf(m_native[i].to); }

void RenameBatch::listFolderInto(const std::string& folder, FolderIndex& index) const {
  std::optional<std::vector<DirectoryEntry>> entries = m_files.listFolder(folder);
  if (!entries) return;
  index.listed = true;
  index.entries = std::move(*entries);
  index.entryByName = NameIndex(index.entries.size());
  const DirectoryEntry* probe = nullptr;
  for (std::size_t k = 0; k < index.entries.size(); ++k) {
    const DirectoryEntry& entry = index.entries[k];
    index.entryByName.insert(entry.name, k);
    if (!probe && hasAsciiLetter(entry.name)) probe = &entry;
  }
  // A folder ignores case when an entry is found under its name with every letter flipped.
  if (probe) {
    std::string flipped = mapped(probe->name, flipAscii);
    index.ignoresCase = !index.entryByName.contains(flipped) &&
                        m_files.entryKind(folder + flipped) != EntryKind::None;
  }
  if (!index.ignoresCase) return;
  for (const DirectoryEntry& entry : index.entries)
    index.storedByFoldedName.emplace(mapped(entry.name, lowerAscii), entry.name);
}

bool RenameBatch::isOnDisk(const FolderIndex& folder, const std::string& path) const {
  if (!folder.listed) return m_files.entryKind(path) != EntryKind::None;
  const std::string_view name = nameOf(path);
  if (folder.entryByName.contains(name)) return true;
  return folder.ignoresCase && folder.storedByFoldedName.contains(mapped(name, lowerAscii));
}

void RenameBatch::survey() {
  // Rows of one folder usually follow each other: the last folder is looked up once.
  std::unordered_map<std::string_view, FolderIndex> folders;
  std::vector<const FolderIndex*> sourceFolder(m_native.size(), nullptr);
  std::vector<const FolderIndex*> targetFolder(m_native.size(), nullptr);
  std::string_view lastName;
  FolderIndex* last = nullptr;
  auto indexOf = [&](std::string_view folder) {
    if (!last || folder != lastName) {
      last = &folders[folder];
      lastName = folder;
    }
    return last;
  };
  for (std::size_t i = 0; i < m_native.size(); ++i) {
    if (!m_native[i].convertible) continue;
    sourceFolder[i] = indexOf(folderOf(m_native[i].from));
    targetFolder[i] = indexOf(folderOf(m_native[i].to));
  }
  for (auto& [folder, index] : folders) listFolderInto(std::string(folder), index);
  m_targets.resize(m_native.size());
  std::vector<std::size_t> taken;  // rows whose target is on disk now
  for (std::size_t i = 0; i < m_native.size(); ++i) {
    if (!m_native[i].convertible) {
      m_targets[i].kind = TargetKind::NotConvertible;
      continue;
    }
    m_targets[i] = surveyTarget(i, *targetFolder[i]);
    const TargetKind kind = m_targets[i].kind;
    if (kind == TargetKind::ExistingFile || kind == TargetKind::ExistingFolder || kind == TargetKind::Unreadable)
      taken.push_back(i);
  }
  if (taken.empty()) return;  // the usual run to new names: no row waits for another
  NameIndex rowOfSource(m_native.size());
  for (std::size_t i = 0; i < m_native.size(); ++i) {
    if (m_native[i].convertible) rowOfSource.insert(m_native[i].from, i);  // first row of a repeated source
  }
  for (std::size_t i : taken) {
    // A target that is another row's source (as asked or as stored) waits for that row. Only
    // a source that is on disk holds its place: in an undo batch the source of an older record
    // is often the target of a newer one, which has to run first. A target that is not on disk
    // is therefore never waited for.
    std::size_t source = rowOfSource.find(m_native[i].to);
    if (source == NameIndex::npos && m_targets[i].storedName != nameOf(m_native[i].to))
      source = rowOfSource.find(std::string(folderOf(m_native[i].to)) + m_targets[i].storedName);
    if (source == NameIndex::npos || source == i) continue;
    if (!isOnDisk(*sourceFolder[source], m_native[source].from)) continue;
    m_targets[i].kind = TargetKind::RowSource;
    m_targets[i].sourceRow = source;
  }
}

TargetFacts RenameBatch::surveyTarget(std::size_t i, const FolderIndex& folder) const {
  const NativeMove& move = m_native[i];
  TargetFacts facts;
  if (move.from == move.to) {
    facts.kind = TargetKind::Unchanged;
    return facts;
  }
  const std::string_view name = nameOf(move.to);
  if (!folder.listed) {
    EntryKind kind = m_files.entryKind(move.to);
    if (kind == EntryKind::File) facts.kind = TargetKind::Unreadable;
    if (kind == EntryKind::Folder) facts.kind = TargetKind::ExistingFolder;
    facts.isFile = kind == EntryKind::File;
    return facts;
  }
  if (std::size_t exact = folder.entryByName.find(name); exact != NameIndex::npos) {
    const bool isFolder = folder.entries[exact].isFolder;
    facts.storedName = std::string(name);
    facts.isFile = !isFolder;
    facts.kind = isFolder ? TargetKind::ExistingFolder : TargetKind::ExistingFile;
    return facts;
  }
  if (!folder.ignoresCase) return facts;
  auto folded = folder.storedByFoldedName.find(mapped(name, lowerAscii));
  if (folded == folder.storedByFoldedName.end()) return facts;
  facts.storedName = std::string(folded->second);
  facts.isFile = !folder.entries[folder.entryByName.find(folded->second)].isFolder;
  const bool ownFile = std::string(folderOf(move.to)) + facts.storedName == move.from;
  facts.kind = ownFile ? TargetKind::OwnSpelling
                       : (facts.isFile ? TargetKind::ExistingFile : TargetKind::ExistingFolder);
  return facts;
}

void RenameBatch::execute(bool overwriteAllowed, ChangeHistory& history, const ProgressCallback& progress,
                          std::size_t interval) {
  m_overwriteAllowed = overwriteAllowed;
  m_history = &history;
  m_progress = &progress;
  m_interval = interval == 0 ? 1 : interval;
  std::vector<int> state(m_moves.size(), kUnvisited);
  std::vector<std::size_t> position(m_moves.size(), 0);
  std::vector<std::size_t> chain;  // reused: most chains are a single row
  history.reserve(history.size() + m_moves.size());
  for (std::size_t start = 0; start < m_moves.size(); ++start) {
    if (state[start] != kUnvisited) continue;
    chainFrom(start, state, chain);
    for (std::size_t k = 0; k < chain.size(); ++k) position[chain[k]] = k;
    // The chain ends in a cycle when the last row's target is the source of a row on it.
    const std::size_t last = chain.back();
    const bool endsInCycle = m_targets[last].kind == TargetKind::RowSource &&
                             state[m_targets[last].sourceRow] == kOnChain;
    const std::size_t cycleStart = endsInCycle ? position[m_targets[last].sourceRow] : chain.size();
    for (std::size_t row : chain) state[row] = kVisited;
    runChain(chain, endsInCycle, cycleStart);
  }
  if (progress) progress(m_finished, m_moves.size());
}

// Follows the rows whose targets are other rows' sources, from `start` until a row with a
// target of another kind, a row done before, or a row already on the chain.
void RenameBatch::chainFrom(std::size_t start, std::vector<int>& state,
                            std::vector<std::size_t>& chain) const {
  chain.clear();
  std::size_t row = start;
  for (;;) {
    state[row] = kOnChain;
    chain.push_back(row);
    if (m_targets[row].kind != TargetKind::RowSource) break;
    std::size_t next = m_targets[row].sourceRow;
    if (state[next] != kUnvisited) break;
    row = next;
  }
}

// Each row of the chain waits for the row after it, so the chain runs from its end; a cycle at
// its end runs first, as one piece.
void RenameBatch::runChain(const std::vector<std::size_t>& chain, bool endsInCycle, std::size_t cycleStart) {
  if (endsInCycle)
    runCycle(std::vector<std::size_t>(chain.begin() + static_cast<std::ptrdiff_t>(cycleStart), chain.end()));
  for (std::size_t k = cycleStart; k-- > 0;) runSingle(chain[k]);
}

std::optional<std::string> RenameBatch::moveToTemporary(const std::string& from, RenameStatus& status) {
  const std::string folder(folderOf(from));
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    std::string temporary = folder + ".namitra-" + std::to_string(::getpid()) + "-" +
                            std::to_string(++m_temporaryCounter) + ".tmp";
    status = m_files.rename(from, temporary, false);
    if (status.ok()) return temporary;
    if (status.error != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

// cycle[k]'s target is cycle[k + 1]'s source and the last one's target cycle[0]'s source.
void RenameBatch::runCycle(const std::vector<std::size_t>& cycle) {
  const std::size_t first = cycle.front();
  RenameStatus status;
  std::optional<std::string> temporary = moveToTemporary(m_native[first].from, status);
  if (!temporary) {
    fail(first, FailureKind::System, status.error);
    for (std::size_t k = 1; k < cycle.size(); ++k) fail(cycle[k], FailureKind::CycleUndone);
    return;
  }
  std::vector<std::size_t> done;
  std::optional<std::size_t> failedRow;
  for (std::size_t k = cycle.size(); k-- > 1;) {
    status = m_files.rename(m_native[cycle[k]].from, m_native[cycle[k]].to, false);
    if (!status.ok()) {
      failedRow = cycle[k];
      break;
    }
    done.push_back(cycle[k]);
  }
  if (!failedRow) {
    status = m_files.rename(*temporary, m_native[first].to, false);
    if (status.ok()) {
      for (std::size_t row : done) succeed(row);
      succeed(first);
      return;
    }
    failedRow = first;
  }
  // Put everything back: the steps made, newest first, then the temporary name.
  const int error = status.error;
  for (auto row = done.rbegin(); row != done.rend(); ++row) {
    if (m_files.rename(m_native[*row].to, m_native[*row].from, false).ok())
      fail(*row, FailureKind::CycleUndone);
    else
      succeed(*row);  // it could not be put back: it carries its planned name
  }
  RenameStatus back = m_files.rename(*temporary, m_native[first].from, false);
  for (std::size_t k = 1; k < cycle.size(); ++k) {
    if (cycle[k] != *failedRow && m_outcomes[cycle[k]].state == MoveState::Pending)
      fail(cycle[k], FailureKind::CycleUndone);
  }
  if (*failedRow != first) fail(*failedRow, FailureKind::System, error);
  if (*failedRow == first || !back.ok())
    fail(first, FailureKind::System, *failedRow == first ? error : back.error);
  else
    fail(first, FailureKind::CycleUndone);
  if (!back.ok())
    m_outcomes[first].leftAt = std::string(folderOf(m_moves[first].from)) + std::string(nameOf(*temporary));
}

void RenameBatch::runSingle(std::size_t i) {
  switch (m_targets[i].kind) {
    case TargetKind::Unchanged:
      m_outcomes[i].state = MoveState::Unchanged;
      finishedOne();
      return;
    case TargetKind::NotConvertible:
      fail(i, FailureKind::NotConvertible);
      return;
    case TargetKind::OwnSpelling:
      runOwnSpelling(i);
      return;
    default:
      break;
  }
  // Only a file that was there before the batch and is no row's source may be replaced.
  const bool replace = m_overwriteAllowed && m_targets[i].kind == TargetKind::ExistingFile;
  RenameStatus status = m_files.rename(m_native[i].from, m_native[i].to, replace);
  if (status.ok())
    succeed(i);
  else
    fail(i, FailureKind::System, status.error);
}

void RenameBatch::runOwnSpelling(std::size_t i) {
  const NativeMove& move = m_native[i];
  RenameStatus status;
  std::optional<std::string> temporary = moveToTemporary(move.from, status);
  if (!temporary) {
    fail(i, FailureKind::System, status.error);
    return;
  }
  status = m_files.rename(*temporary, move.to, false);
  if (!status.ok()) {
    RenameStatus back = m_files.rename(*temporary, move.from, false);
    fail(i, FailureKind::System, status.error);
    if (!back.ok()) m_outcomes[i].leftAt = std::string(folderOf(m_moves[i].from)) + std::string(nameOf(*temporary));
    return;
  }
  const std::string_view planned = nameOf(move.to);
  std::optional<std::string> stored = m_files.storedName(std::string(folderOf(move.to)), planned);
  if (stored != planned) {
    fail(i, FailureKind::NameNotShown);
    return;
  }
  succeed(i);
}

void RenameBatch::succeed(std::size_t i) {
  m_outcomes[i].state = MoveState::Done;
  ++m_succeeded;
  m_history->appendRename(m_moves[i].from, m_moves[i].to);
  finishedOne();
}

void RenameBatch::fail(std::size_t i, FailureKind kind, int error) {
  m_outcomes[i].state = MoveState::Failed;
  m_outcomes[i].failure = kind;
  m_outcomes[i].error = error;
  ++m_failed;
  finishedOne();
}

void RenameBatch::finishedOne() {
  ++m_finished;
  if (*m_progress && m_finished % m_interval == 0 && m_finished < m_moves.size())
    (*m_progress)(m_finished, m_moves.size());
}

}  // namespace namitra::rename
