#include "rename/rename_batch.h"

#include "platform/name_codec.h"
#include "rename/messages.h"
#include "sjis/utf8.h"

#include <cassert>
#include <cerrno>
#include <unistd.h>

namespace namitra::rename {

namespace {

// Row::flags.
enum : std::uint8_t {
  kSeen = 1,          // the listing of the target's folder shows the target as spelled
  kSeenFolder = 2,    // ... and it is a folder
  kIsFile = 4,        // the entry found at the target is no folder
  kOnChain = 8,       // execute: on the chain being followed
  kVisited = 16,      // execute: run (or waiting on a chain that runs)
  kAwaitingCheck = 32,  // renamed to its own file's new spelling; the listing is still to show it
  kShown = 64,        // ... and the listing shows it
};
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

bool hasAsciiLetter(std::string_view name) {
  for (char c : name)
    if (flipAscii(c) != c) return true;
  return false;
}

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

RenameBatch::RenameBatch(FileAccess& files, const NativeName& native) : m_files(files), m_native(native) {}

void RenameBatch::reserve(std::size_t rows) { m_rows.reserve(rows); }

// Rows of one folder usually follow each other: the folder met last is compared first.
std::uint32_t RenameBatch::folderNumber(std::string_view folder, bool keepCopy) {
  if (m_lastFolder != kNone && m_folders[m_lastFolder].text == folder) return m_lastFolder;
  auto known = m_folderNumbers.find(folder);
  if (known != m_folderNumbers.end()) return m_lastFolder = known->second;
  const std::string_view text = keepCopy ? std::string_view(m_ownFolders.emplace_back(folder)) : folder;
  m_lastFolder = static_cast<std::uint32_t>(m_folders.size());
  m_folders.push_back({text});
  m_folderNumbers.emplace(text, m_lastFolder);
  return m_lastFolder;
}

void RenameBatch::add(std::string_view fromFolder, std::string_view fromName, std::string_view toFolder,
                      std::string_view toName) {
  assert(m_rows.size() < kNone && "rows are numbered in 32 bits");
  Row row;
  row.fromName = fromName;
  row.toName = toName;
  row.fromFolder = folderNumber(fromFolder, false);
  row.toFolder = folderNumber(toFolder, false);
  m_rows.push_back(row);
}

void RenameBatch::addPlanned(std::string_view folder, std::string_view name, std::string_view plannedName) {
  const std::size_t slash = plannedName.rfind('/');
  if (slash == std::string_view::npos) return add(folder, name, folder, plannedName);
  m_joined.assign(folder).append(plannedName.substr(0, slash + 1));
  const std::uint32_t toFolder = folderNumber(m_joined, true);
  add(folder, name, m_folders[toFolder].text, plannedName.substr(slash + 1));
}

std::optional<std::pair<std::size_t, std::size_t>> RenameBatch::firstRepeatedTarget() {
  m_targets.reset(m_rows.size());
  m_repeatOf.clear();
  m_targetsIndexed = true;
  std::optional<std::pair<std::size_t, std::size_t>> first;
  for (std::uint32_t k = 0; k < m_rows.size(); ++k) {
    const Row& row = m_rows[k];
    // A full path splits after its last "/" in one way only, so two targets are the same path
    // exactly when their folders (numbered by their text) and their names are the same.
    const std::uint32_t earlier = m_targets.insert(hashInFolder(row.toFolder, row.toName), k, [&](std::uint32_t r) {
      return m_rows[r].toFolder == row.toFolder && m_rows[r].toName == row.toName;
    });
    if (earlier == k) continue;
    m_repeatOf.emplace(k, earlier);
    // The first repetition of a row is its first duplicate; the lowest such row is the answer.
    if (!first || earlier < first->first) first = std::make_pair(std::size_t{earlier}, std::size_t{k});
  }
  return first;
}

std::string_view RenameBatch::nativeFromName(const Row& row) const {
  return row.native == kNone ? row.fromName : m_nativeNames[row.native].first;
}

std::string_view RenameBatch::nativeToName(const Row& row) const {
  return row.native == kNone ? row.toName : m_nativeNames[row.native].second;
}

const std::string& RenameBatch::nativeFrom(std::size_t i) {
  const Row& row = m_rows[i];
  m_fromPath.assign(m_nativeFolders[nativeFolderOf(row, false)].path).append(nativeFromName(row));
  return m_fromPath;
}

const std::string& RenameBatch::nativeTo(std::size_t i) {
  const Row& row = m_rows[i];
  m_toPath.assign(m_nativeFolders[nativeFolderOf(row, true)].path).append(nativeToName(row));
  return m_toPath;
}

std::string RenameBatch::fromPath(std::size_t i) const {
  return std::string(m_folders[m_rows[i].fromFolder].text) + std::string(m_rows[i].fromName);
}

std::string RenameBatch::toPath(std::size_t i) const {
  return std::string(m_folders[m_rows[i].toFolder].text) + std::string(m_rows[i].toName);
}

void RenameBatch::survey() {
  convertNames();
  indexTargets();
  std::vector<bool> wanted(m_nativeFolders.size(), false);
  for (const Row& row : m_rows) {
    if (row.kind == TargetKind::Free) wanted[nativeFolderOf(row, true)] = true;
  }
  for (std::uint32_t folder = 0; folder < wanted.size(); ++folder) {
    if (wanted[folder]) listTargetFolder(folder);
  }
  for (std::size_t i = 0; i < m_rows.size(); ++i) classifyTarget(i);
  findWaitingRows();
}

// A name that is plain ASCII is its own native name; others are converted and kept.
std::optional<std::string_view> RenameBatch::nativeOf(std::string_view name) {
  if (sjis::isAscii(name)) return name;
  m_namesAscii = false;
  std::optional<std::string> native = m_native(name);
  if (!native) return std::nullopt;
  return m_text.add(*native);
}

void RenameBatch::convertNames() {
  std::unordered_map<std::string, std::uint32_t> numbers;
  for (Folder& folder : m_folders) {
    std::optional<std::string> native =
        sjis::isAscii(folder.text) ? std::optional<std::string>(folder.text) : m_native(folder.text);
    if (!native) continue;
    auto [known, added] = numbers.try_emplace(*native, static_cast<std::uint32_t>(m_nativeFolders.size()));
    if (added) {
      m_nativeFolders.emplace_back();
      m_nativeFolders.back().path = std::move(*native);
    }
    folder.native = known->second;
  }
  for (Row& row : m_rows) {
    if (nativeFolderOf(row, false) == kNone || nativeFolderOf(row, true) == kNone) {
      row.kind = TargetKind::NotConvertible;
      continue;
    }
    if (!sjis::isAscii(row.fromName) || !sjis::isAscii(row.toName)) {
      std::optional<std::string_view> from = nativeOf(row.fromName);
      std::optional<std::string_view> to = nativeOf(row.toName);
      if (!from || !to) {
        row.kind = TargetKind::NotConvertible;
        continue;
      }
      row.native = static_cast<std::uint32_t>(m_nativeNames.size());
      m_nativeNames.emplace_back(*from, *to);
    }
    if (nativeFolderOf(row, false) == nativeFolderOf(row, true) && nativeFromName(row) == nativeToName(row))
      row.kind = TargetKind::Unchanged;
  }
}

bool RenameBatch::foldersNumberedAlike() const {
  for (std::uint32_t k = 0; k < m_folders.size(); ++k) {
    if (m_folders[k].native != k) return false;
  }
  return true;
}

// The listing looks its entries up by native folder and name. When every name is ASCII and every
// folder has a native folder of its own, the index of firstRepeatedTarget has those keys already.
void RenameBatch::indexTargets() {
  if (m_targetsIndexed && m_namesAscii && foldersNumberedAlike()) return;
  m_targets.reset(m_rows.size());
  m_repeatOf.clear();
  for (std::uint32_t k = 0; k < m_rows.size(); ++k) {
    const Row& row = m_rows[k];
    if (row.kind == TargetKind::NotConvertible) continue;
    const std::uint32_t earlier =
        m_targets.insert(hashInFolder(nativeFolderOf(row, true), nativeToName(row)), k, [&](std::uint32_t r) {
          return nativeFolderOf(m_rows[r], true) == nativeFolderOf(row, true) &&
                 nativeToName(m_rows[r]) == nativeToName(row);
        });
    if (earlier != k) m_repeatOf.emplace(k, earlier);
  }
}

std::uint32_t RenameBatch::findTarget(std::uint32_t nativeFolder, std::string_view name) const {
  return m_targets.find(hashInFolder(nativeFolder, name), [&](std::uint32_t r) {
    return nativeFolderOf(m_rows[r], true) == nativeFolder && nativeToName(m_rows[r]) == name;
  });
}

// One pass over the folder marks every target it shows. On the way it picks a probe for the
// letter case: the first entry with an ASCII letter. The folder ignores case when that entry is
// found under its name with every letter flipped, and that spelling is not an entry of its own.
void RenameBatch::listTargetFolder(std::uint32_t nativeFolder) {
  NativeFolder& folder = m_nativeFolders[nativeFolder];
  std::string flipped;
  bool flippedListed = false;
  folder.listed = m_files.listFolder(folder.path, [&](const FolderEntry& entry) {
    const std::string_view name = entry.name;
    const bool isFolder = entry.isFolder;
    const std::uint32_t row = findTarget(nativeFolder, name);
    if (row != NameIndex::npos) m_rows[row].flags |= kSeen | (isFolder ? kSeenFolder : 0);
    if (flipped.empty()) {
      if (hasAsciiLetter(name)) flipped = mapped(name, flipAscii);
    } else if (name == flipped) {
      flippedListed = true;
    }
  });
  if (!folder.listed || flipped.empty()) return;
  folder.ignoresCase = !flippedListed && m_files.entryKind(folder.path + flipped) != EntryKind::None;
  if (folder.ignoresCase) listFoldedNames(folder);
}

void RenameBatch::listFoldedNames(NativeFolder& folder) {
  m_files.listFolder(folder.path, [&](const FolderEntry& entry) {
    folder.byFoldedName.try_emplace(mapped(entry.name, lowerAscii), FoldedEntry{std::string(entry.name), entry.isFolder});
  });
}

// A row whose target repeats an earlier row's sees what that row's target saw.
std::uint8_t RenameBatch::seenFlags(std::size_t i) const {
  std::uint8_t flags = m_rows[i].flags;
  if (!m_repeatOf.empty()) {
    auto first = m_repeatOf.find(static_cast<std::uint32_t>(i));
    if (first != m_repeatOf.end()) flags |= m_rows[first->second].flags;
  }
  return flags & (kSeen | kSeenFolder);
}

void RenameBatch::classifyTarget(std::size_t i) {
  Row& row = m_rows[i];
  if (row.kind != TargetKind::Free) return;  // not convertible, or unchanged
  const NativeFolder& folder = m_nativeFolders[nativeFolderOf(row, true)];
  if (!folder.listed) {
    const EntryKind kind = m_files.entryKind(nativeTo(i));
    if (kind == EntryKind::File) {
      row.kind = TargetKind::Unreadable;
      row.flags |= kIsFile;
    }
    if (kind == EntryKind::Folder) row.kind = TargetKind::ExistingFolder;
    return;
  }
  const std::uint8_t seen = seenFlags(i);
  if (seen & kSeen) {  // stored as planned
    const bool isFolder = seen & kSeenFolder;
    row.kind = isFolder ? TargetKind::ExistingFolder : TargetKind::ExistingFile;
    if (!isFolder) row.flags |= kIsFile;
    return;
  }
  if (!folder.ignoresCase) return;
  auto folded = folder.byFoldedName.find(mapped(nativeToName(row), lowerAscii));
  if (folded == folder.byFoldedName.end()) return;
  const FoldedEntry& entry = folded->second;
  m_storedSpelling.emplace(static_cast<std::uint32_t>(i), entry.stored);
  if (!entry.isFolder) row.flags |= kIsFile;
  const bool ownFile =
      nativeFolderOf(row, false) == nativeFolderOf(row, true) && entry.stored == nativeFromName(row);
  if (ownFile)
    row.kind = TargetKind::OwnSpelling;
  else
    row.kind = entry.isFolder ? TargetKind::ExistingFolder : TargetKind::ExistingFile;
}

TargetFacts RenameBatch::target(std::size_t i) const {
  const Row& row = m_rows[i];
  TargetFacts facts{row.kind, row.sourceRow, {}, (row.flags & kIsFile) != 0};
  switch (row.kind) {
    case TargetKind::OwnSpelling:
    case TargetKind::RowSource:
    case TargetKind::ExistingFile:
    case TargetKind::ExistingFolder:
      break;
    default:
      return facts;
  }
  auto stored = m_storedSpelling.find(static_cast<std::uint32_t>(i));
  if (stored != m_storedSpelling.end())
    facts.storedName = stored->second;
  else if (m_nativeFolders[nativeFolderOf(row, true)].listed)
    facts.storedName = nativeToName(row);
  return facts;
}

void RenameBatch::findWaitingRows() {
  std::vector<std::uint32_t> taken;  // rows whose target is on disk now
  for (std::uint32_t k = 0; k < m_rows.size(); ++k) {
    const TargetKind kind = m_rows[k].kind;
    if (kind == TargetKind::ExistingFile || kind == TargetKind::ExistingFolder || kind == TargetKind::Unreadable)
      taken.push_back(k);
  }
  if (taken.empty()) return;  // the usual run to new names: no row waits for another
  NameIndex sources(m_rows.size());
  auto sourceIs = [this](std::uint32_t folder, std::string_view name) {
    return [this, folder, name](std::uint32_t r) {
      return nativeFolderOf(m_rows[r], false) == folder && nativeFromName(m_rows[r]) == name;
    };
  };
  for (std::uint32_t k = 0; k < m_rows.size(); ++k) {
    const Row& row = m_rows[k];
    if (row.kind == TargetKind::NotConvertible) continue;
    const std::uint32_t folder = nativeFolderOf(row, false);
    sources.insert(hashInFolder(folder, nativeFromName(row)), k, sourceIs(folder, nativeFromName(row)));
  }
  for (std::uint32_t i : taken) {
    // A target that is another row's source (as asked or as stored) waits for that row. Only
    // a source that is on disk holds its place: in an undo batch the source of an older record
    // is often the target of a newer one, which has to run first. A target that is not on disk
    // is therefore never waited for.
    const std::uint32_t folder = nativeFolderOf(m_rows[i], true);
    const std::string_view planned = nativeToName(m_rows[i]);
    std::uint32_t source = sources.find(hashInFolder(folder, planned), sourceIs(folder, planned));
    const std::string_view stored = target(i).storedName;
    if (source == NameIndex::npos && !stored.empty() && stored != planned)
      source = sources.find(hashInFolder(folder, stored), sourceIs(folder, stored));
    if (source == NameIndex::npos || source == i) continue;
    if (m_files.entryKind(nativeFrom(source)) == EntryKind::None) continue;
    m_rows[i].kind = TargetKind::RowSource;
    m_rows[i].sourceRow = source;
  }
}

void RenameBatch::execute(bool overwriteAllowed, ChangeHistory& history, const ProgressCallback& progress,
                          std::size_t interval) {
  m_overwriteAllowed = overwriteAllowed;
  m_history = &history;
  m_progress = &progress;
  m_interval = interval == 0 ? 1 : interval;
  std::vector<std::uint32_t> chain;  // reused: most chains are a single row
  history.reserve(history.size() + m_rows.size());
  for (std::size_t start = 0; start < m_rows.size(); ++start) {
    if (m_rows[start].flags & kVisited) continue;
    chainFrom(start, chain);
    runChain(chain);
  }
  checkOwnSpellings();
  if (progress) progress(m_finished, m_rows.size());
}

// Follows the rows whose targets are other rows' sources, from `start` until a row with a
// target of another kind, a row visited before, or a row already on the chain.
void RenameBatch::chainFrom(std::size_t start, std::vector<std::uint32_t>& chain) {
  chain.clear();
  std::uint32_t row = static_cast<std::uint32_t>(start);
  for (;;) {
    m_rows[row].flags |= kOnChain;
    chain.push_back(row);
    if (m_rows[row].kind != TargetKind::RowSource) break;
    const std::uint32_t next = m_rows[row].sourceRow;
    if (m_rows[next].flags & (kOnChain | kVisited)) break;
    row = next;
  }
}

// Each row of the chain waits for the row after it, so the chain runs from its end. It ends in
// a cycle when the last row's target is the source of a row on it; the cycle runs first, as
// one piece.
void RenameBatch::runChain(const std::vector<std::uint32_t>& chain) {
  const Row& last = m_rows[chain.back()];
  std::size_t cycleStart = chain.size();
  if (last.kind == TargetKind::RowSource && (m_rows[last.sourceRow].flags & kOnChain)) {
    cycleStart = 0;
    while (chain[cycleStart] != last.sourceRow) ++cycleStart;
  }
  for (std::uint32_t row : chain) m_rows[row].flags = (m_rows[row].flags & ~kOnChain) | kVisited;
  if (cycleStart < chain.size())
    runCycle(std::vector<std::uint32_t>(chain.begin() + static_cast<std::ptrdiff_t>(cycleStart), chain.end()));
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

// The file of row i stayed at `temporary`: the failure line names it in the program's text.
void RenameBatch::leaveAt(std::size_t i, const std::string& temporary) {
  m_leftAt[static_cast<std::uint32_t>(i)] =
      std::string(m_folders[m_rows[i].fromFolder].text) + std::string(nameOf(temporary));
}

// cycle[k]'s target is cycle[k + 1]'s source and the last one's target cycle[0]'s source.
void RenameBatch::runCycle(const std::vector<std::uint32_t>& cycle) {
  const std::uint32_t first = cycle.front();
  RenameStatus status;
  std::optional<std::string> temporary = moveToTemporary(nativeFrom(first), status);
  if (!temporary) {
    fail(first, FailureKind::System, status.error);
    for (std::size_t k = 1; k < cycle.size(); ++k) fail(cycle[k], FailureKind::CycleUndone);
    return;
  }
  std::vector<std::uint32_t> done;
  std::optional<std::uint32_t> failedRow;
  for (std::size_t k = cycle.size(); k-- > 1;) {
    status = m_files.rename(nativeFrom(cycle[k]), nativeTo(cycle[k]), false);
    if (!status.ok()) {
      failedRow = cycle[k];
      break;
    }
    done.push_back(cycle[k]);
  }
  if (!failedRow) {
    status = m_files.rename(*temporary, nativeTo(first), false);
    if (status.ok()) {
      for (std::uint32_t row : done) succeed(row);
      succeed(first);
      return;
    }
    failedRow = first;
  }
  // Put everything back: the steps made, newest first, then the temporary name.
  const int error = status.error;
  for (auto row = done.rbegin(); row != done.rend(); ++row) {
    if (m_files.rename(nativeTo(*row), nativeFrom(*row), false).ok())
      fail(*row, FailureKind::CycleUndone);
    else
      succeed(*row);  // it could not be put back: it carries its planned name
  }
  const RenameStatus back = m_files.rename(*temporary, nativeFrom(first), false);
  for (std::size_t k = 1; k < cycle.size(); ++k) {
    if (cycle[k] != *failedRow && m_rows[cycle[k]].state == MoveState::Pending)
      fail(cycle[k], FailureKind::CycleUndone);
  }
  if (*failedRow != first) fail(*failedRow, FailureKind::System, error);
  if (*failedRow == first || !back.ok())
    fail(first, FailureKind::System, *failedRow == first ? error : back.error);
  else
    fail(first, FailureKind::CycleUndone);
  if (!back.ok()) leaveAt(first, *temporary);
}

void RenameBatch::runSingle(std::size_t i) {
  switch (m_rows[i].kind) {
    case TargetKind::Unchanged:
      m_rows[i].state = MoveState::Unchanged;
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
  const bool replace = m_overwriteAllowed && m_rows[i].kind == TargetKind::ExistingFile;
  const RenameStatus status = m_files.rename(nativeFrom(i), nativeTo(i), replace);
  if (status.ok())
    succeed(i);
  else
    fail(i, FailureKind::System, status.error);
}

void RenameBatch::runOwnSpelling(std::size_t i) {
  RenameStatus status;
  std::optional<std::string> temporary = moveToTemporary(nativeFrom(i), status);
  if (!temporary) {
    fail(i, FailureKind::System, status.error);
    return;
  }
  status = m_files.rename(*temporary, nativeTo(i), false);
  if (!status.ok()) {
    const RenameStatus back = m_files.rename(*temporary, nativeFrom(i), false);
    fail(i, FailureKind::System, status.error);
    if (!back.ok()) leaveAt(i, *temporary);
    return;
  }
  m_rows[i].flags |= kAwaitingCheck;
  m_ownSpellings.push_back(static_cast<std::uint32_t>(i));
  m_heldBack.push_back(static_cast<std::uint32_t>(i));
}

// The folder shows the stored spelling only in its listing. Each folder is listed once for all
// of its case changes (lower-casing 10,000 names is one listing, not 10,000). A folder that
// cannot be listed gives no answer; its renames, which the system accepted, count as done.
// Then the history gets the renames held back since the first case change, in their order.
void RenameBatch::checkOwnSpellings() {
  if (m_ownSpellings.empty()) return;
  std::vector<bool> listed(m_nativeFolders.size(), false);
  std::vector<bool> unlistable(m_nativeFolders.size(), false);
  for (std::uint32_t i : m_ownSpellings) {
    const std::uint32_t folder = nativeFolderOf(m_rows[i], true);
    if (listed[folder]) continue;
    listed[folder] = true;
    unlistable[folder] = !m_files.listFolder(m_nativeFolders[folder].path, [&](const FolderEntry& entry) {
      const std::uint32_t row = findTarget(folder, entry.name);
      if (row != NameIndex::npos && (m_rows[row].flags & kAwaitingCheck)) m_rows[row].flags |= kShown;
    });
  }
  m_ownSpellings.clear();
  for (std::uint32_t i : m_heldBack) {
    Row& row = m_rows[i];
    if (!(row.flags & kAwaitingCheck)) {
      appendToHistory(i);
      continue;
    }
    row.flags &= ~kAwaitingCheck;
    if ((row.flags & kShown) || unlistable[nativeFolderOf(row, true)])
      succeed(i);
    else
      fail(i, FailureKind::NameNotShown);
  }
  m_heldBack.clear();
}

MoveOutcome RenameBatch::outcome(std::size_t i) const {
  const Row& row = m_rows[i];
  MoveOutcome outcome{row.state, row.failure, row.error, {}};
  auto left = m_leftAt.find(static_cast<std::uint32_t>(i));
  if (left != m_leftAt.end()) outcome.leftAt = left->second;
  return outcome;
}

// Once a case change waits for its check, later renames wait with it, so that the history
// keeps the order in which the renames were made.
void RenameBatch::succeed(std::size_t i) {
  m_rows[i].state = MoveState::Done;
  ++m_succeeded;
  if (m_ownSpellings.empty())
    appendToHistory(i);
  else
    m_heldBack.push_back(static_cast<std::uint32_t>(i));
  finishedOne();
}

void RenameBatch::appendToHistory(std::size_t i) {
  const Row& row = m_rows[i];
  m_history->appendRename(m_folders[row.fromFolder].text, row.fromName, m_folders[row.toFolder].text, row.toName);
}

void RenameBatch::fail(std::size_t i, FailureKind kind, int error) {
  Row& row = m_rows[i];
  row.state = MoveState::Failed;
  row.failure = kind;
  row.error = error;
  ++m_failed;
  finishedOne();
}

void RenameBatch::finishedOne() {
  ++m_finished;
  if (*m_progress && m_finished % m_interval == 0 && m_finished < m_rows.size())
    (*m_progress)(m_finished, m_rows.size());
}

}  // namespace namitra::rename
