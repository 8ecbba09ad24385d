#include "rename/rename_batch.h"

#include "platform/name_codec.h"
#include "rename/messages.h"
#include "sjis/utf8.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <unordered_set>
#include <unistd.h>

namespace namitra::rename {

namespace {

// Row::flags.
enum : std::uint16_t {
  kSeen = 1,          // the listing of the target's folder shows the target as spelled
  kSeenFolder = 2,    // ... and it is a folder
  kIsFile = 4,        // the entry found at the target is no folder
  kOnChain = 8,       // plan: on the chain being followed
  kVisited = 16,      // plan: placed in the plan
  kAwaitingCheck = 32,  // renamed to its own file's new spelling; the listing is still to show it
  kShown = 64,        // ... and the listing shows it
  kSourceSeen = 128,  // the listing of the source's folder shows the source
  kSourceFolder = 256,  // ... and it is a folder
  kTargetTaken = 512,   // an earlier row's target is the same existing file: it may not replace it
};

std::uint64_t identityHash(const FileIdentity& file) { return FileIdentityHash{}(file); }

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
    case FailureKind::SameFileTwice: return text::kReasonSameFileTwice;
    case FailureKind::TargetIsSameFile: return text::kReasonTargetIsSameFile;
    case FailureKind::NotTheRecordedFile: return text::kReasonNotTheRecordedFile;
    case FailureKind::System: break;
  }
  return RenameStatus{error}.reason();
}

RenameBatch::RenameBatch(FileAccess& files, const NativeName& native)
    : m_files(files), m_native(native), m_runId(newRunId()) {}

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

void RenameBatch::addReversal(std::string_view fromFolder, std::string_view fromName, std::string_view toFolder,
                              std::string_view toName, const FileIdentity& recorded) {
  if (recorded.known()) m_recorded.emplace(static_cast<std::uint32_t>(m_rows.size()), recorded);
  add(fromFolder, fromName, toFolder, toName);
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

// The source's name as the folder stores it, where the row spells it otherwise: renames go
// through the stored spelling, as the survey's identities did (through FUSE a file has another
// identity under each spelling it is looked up by).
std::string_view RenameBatch::sourceName(std::size_t i) const {
  if (!m_storedSourceSpelling.empty()) {
    auto stored = m_storedSourceSpelling.find(static_cast<std::uint32_t>(i));
    if (stored != m_storedSourceSpelling.end()) return stored->second;
  }
  return nativeFromName(m_rows[i]);
}

const std::string& RenameBatch::nativeFrom(std::size_t i) {
  const Row& row = m_rows[i];
  m_fromPath.assign(m_nativeFolders[nativeFolderOf(row, false)].path).append(sourceName(i));
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
  mergeFoldersByIdentity();
  indexTargets();
  indexSources();
  for (std::uint32_t folder = 0; folder < m_nativeFolders.size(); ++folder) listFolder(folder);
  identifySources();
  for (std::size_t i = 0; i < m_rows.size(); ++i) classifyTarget(i);
  markTargetsTaken();
}

// Once an earlier row has moved onto an existing file, that entry holds the row's file: only the
// first row whose target it is may replace it, however the others spell it.
void RenameBatch::markTargetsTaken() {
  std::unordered_set<std::string> existing;
  for (std::size_t i = 0; i < m_rows.size(); ++i) {
    if (m_rows[i].kind != TargetKind::ExistingFile) continue;
    std::string entry = std::to_string(nativeFolderOf(m_rows[i], true)) + '/' + std::string(target(i).storedName);
    if (!existing.insert(std::move(entry)).second) m_rows[i].flags |= kTargetTaken;
  }
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
  }
}

// Folders become absolute and free of links, "." and ".."; spellings of one folder ("d/",
// "d//", "d/./", a link to d) become one native folder, so that every later comparison of
// folders is a comparison of numbers. A folder that does not exist keeps its spelling.
void RenameBatch::mergeFoldersByIdentity() {
  std::vector<NativeFolder> merged;
  std::vector<std::uint32_t> numberOf(m_nativeFolders.size());
  std::unordered_map<FileIdentity, std::uint32_t, FileIdentityHash> byIdentity;
  for (std::uint32_t k = 0; k < m_nativeFolders.size(); ++k) {
    NativeFolder& folder = m_nativeFolders[k];
    // The canonical spelling first: through FUSE a folder has another identity under each
    // spelling of its path.
    if (std::optional<std::string> canonical = m_files.canonicalFolder(folder.path)) folder.path = std::move(*canonical);
    folder.identity = m_files.folderIdentity(folder.path);
    if (folder.identity.known()) {
      auto [known, added] = byIdentity.try_emplace(folder.identity, static_cast<std::uint32_t>(merged.size()));
      if (!added) {
        numberOf[k] = known->second;
        continue;
      }
    }
    numberOf[k] = static_cast<std::uint32_t>(merged.size());
    merged.push_back(std::move(folder));
  }
  m_nativeFolders = std::move(merged);
  for (Folder& folder : m_folders) {
    if (folder.native != kNone) folder.native = numberOf[folder.native];
  }
  for (Row& row : m_rows) {
    if (row.kind == TargetKind::Free && nativeFolderOf(row, false) == nativeFolderOf(row, true) &&
        nativeFromName(row) == nativeToName(row))
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

void RenameBatch::indexSources() {
  m_sources.reset(m_rows.size());
  for (std::uint32_t k = 0; k < m_rows.size(); ++k) {
    const Row& row = m_rows[k];
    if (row.kind == TargetKind::NotConvertible) continue;
    const std::uint32_t earlier =
        m_sources.insert(hashInFolder(nativeFolderOf(row, false), nativeFromName(row)), k, [&](std::uint32_t r) {
          return nativeFolderOf(m_rows[r], false) == nativeFolderOf(row, false) &&
                 nativeFromName(m_rows[r]) == nativeFromName(row);
        });
    if (earlier != k) m_sourceRepeatOf.emplace(k, earlier);
  }
}

std::uint32_t RenameBatch::findTarget(std::uint32_t nativeFolder, std::string_view name) const {
  return findTarget(hashInFolder(nativeFolder, name), nativeFolder, name);
}

std::uint32_t RenameBatch::findTarget(std::uint64_t hash, std::uint32_t nativeFolder, std::string_view name) const {
  return m_targets.find(hash, [&](std::uint32_t r) {
    return nativeFolderOf(m_rows[r], true) == nativeFolder && nativeToName(m_rows[r]) == name;
  });
}

std::uint32_t RenameBatch::findSource(std::uint64_t hash, std::uint32_t nativeFolder, std::string_view name) const {
  return m_sources.find(hash, [&](std::uint32_t r) {
    return nativeFolderOf(m_rows[r], false) == nativeFolder && nativeFromName(m_rows[r]) == name;
  });
}

// One pass over the folder marks every source and target it shows, with the entry's inode. On
// the way it picks a probe for the letter case: the first entry with an ASCII letter.
void RenameBatch::listFolder(std::uint32_t nativeFolder) {
  NativeFolder& folder = m_nativeFolders[nativeFolder];
  const std::uint64_t device = folder.identity.device;
  std::string flipped;
  bool flippedListed = false;
  std::uint32_t probe = kNone;  // a listed source that is no folder
  std::string anyFile;          // ... else any listed file, with its inode
  std::uint64_t anyInode = 0;
  folder.listed = m_files.listFolder(folder.path, [&](const FolderEntry& entry) {
    if (anyFile.empty() && !entry.isFolder) {
      anyFile = entry.name;
      anyInode = entry.inode;
    }
    // Sources and targets are indexed under the same hash of folder and name.
    const std::uint64_t hash = hashInFolder(nativeFolder, entry.name);
    const std::uint32_t target = findTarget(hash, nativeFolder, entry.name);
    if (target != NameIndex::npos) {
      m_rows[target].flags |= kSeen | (entry.isFolder ? kSeenFolder : 0);
      m_targetInodes[target] = entry.inode;
    }
    const std::uint32_t source = findSource(hash, nativeFolder, entry.name);
    if (source != NameIndex::npos) {
      m_rows[source].flags |= kSourceSeen | (entry.isFolder ? kSourceFolder : 0);
      m_rows[source].source = {device, entry.inode};
      if (probe == kNone && !entry.isFolder) probe = source;
    }
    if (flipped.empty()) {
      if (hasAsciiLetter(entry.name)) flipped = mapped(entry.name, flipAscii);
    } else if (entry.name == flipped) {
      flippedListed = true;
    }
  });
  if (!folder.listed) return;
  checkListedInodes(nativeFolder, probe);
  // A folder whose sources are all spelled otherwise than stored, or that holds only targets,
  // has no listed source to ask: any file of it tells as well.
  if (probe == kNone && !anyFile.empty() && folder.identity.known())
    folder.inodesExact = m_files.identity(folder.path + anyFile) == FileIdentity{device, anyInode};
  detectIgnoredCase(folder, flipped, flippedListed);
}

// Some file systems (FUSE ones without their own inode numbers, overlays) list other numbers
// than stat gives. One stat of a listed source tells; where they differ, every identity of
// the folder is asked of stat instead.
void RenameBatch::checkListedInodes(std::uint32_t nativeFolder, std::uint32_t probe) {
  NativeFolder& folder = m_nativeFolders[nativeFolder];
  if (!folder.identity.known())
    folder.inodesExact = false;
  else if (probe != kNone)
    folder.inodesExact = m_files.identity(nativeFrom(probe)) == m_rows[probe].source;
}

// The folder ignores case when the probe is found under its name with every letter flipped,
// and that spelling is not an entry of its own.
void RenameBatch::detectIgnoredCase(NativeFolder& folder, const std::string& flipped, bool flippedListed) {
  if (flipped.empty() || flippedListed) return;
  folder.ignoresCase = m_files.entryKind(folder.path + flipped) != EntryKind::None;
  if (folder.ignoresCase) listFoldedNames(folder);
}

void RenameBatch::listFoldedNames(NativeFolder& folder) {
  m_files.listFolder(folder.path, [&](const FolderEntry& entry) {
    folder.byFoldedName.try_emplace(mapped(entry.name, lowerAscii),
                                    FoldedEntry{std::string(entry.name), entry.isFolder, entry.inode});
  });
}

const RenameBatch::FoldedEntry* RenameBatch::foldedEntry(std::uint32_t nativeFolder, std::string_view name) const {
  const NativeFolder& folder = m_nativeFolders[nativeFolder];
  if (!folder.ignoresCase) return nullptr;
  auto found = folder.byFoldedName.find(mapped(name, lowerAscii));
  return found == folder.byFoldedName.end() ? nullptr : &found->second;
}

// The identity of a listed entry: from the listing where its numbers can be trusted; a folder
// is always asked of stat, because a mount point lists the inode of the folder beneath it.
FileIdentity RenameBatch::identityOfEntry(std::uint32_t nativeFolder, std::string_view name, std::uint64_t inode,
                                          bool isFolder) {
  const NativeFolder& folder = m_nativeFolders[nativeFolder];
  if (folder.inodesExact && !isFolder) return {folder.identity.device, inode};
  return m_files.identity(folder.path + std::string(name));
}

void RenameBatch::identifySources() {
  for (std::uint32_t k = 0; k < m_rows.size(); ++k) {
    Row& row = m_rows[k];
    if (row.kind == TargetKind::NotConvertible) continue;
    const std::uint32_t folder = nativeFolderOf(row, false);
    if (auto repeat = m_sourceRepeatOf.find(k); repeat != m_sourceRepeatOf.end()) {
      row.flags |= m_rows[repeat->second].flags & (kSourceSeen | kSourceFolder);
      row.source = m_rows[repeat->second].source;
    } else if (row.flags & kSourceSeen) {
      if (!m_nativeFolders[folder].inodesExact || (row.flags & kSourceFolder))
        row.source = identityOfEntry(folder, nativeFromName(row), row.source.inode, row.flags & kSourceFolder);
    } else if (const FoldedEntry* entry = foldedEntry(folder, nativeFromName(row))) {
      m_storedSourceSpelling.emplace(k, entry->stored);
      row.flags |= kSourceSeen | (entry->isFolder ? kSourceFolder : 0);
      row.source = identityOfEntry(folder, entry->stored, entry->inode, entry->isFolder);
    }
    if (row.flags & kSourceFolder) m_hasFolderRows = true;
  }
  refuseRepeatedSources();
}

// The first row that names a file moves it; a later row naming the same file is refused. An
// undo row whose file is not the one its record moved is refused too.
void RenameBatch::refuseRepeatedSources() {
  m_rowByFile.reset(m_rows.size());
  for (std::uint32_t k = 0; k < m_rows.size(); ++k) {
    Row& row = m_rows[k];
    if (row.kind == TargetKind::NotConvertible || !row.source.known()) continue;
    if (auto recorded = m_recorded.find(k); recorded != m_recorded.end() && !(recorded->second == row.source)) {
      row.kind = TargetKind::NotTheRecordedFile;
      continue;
    }
    const std::uint32_t first = m_rowByFile.insert(identityHash(row.source), k, [&](std::uint32_t r) {
      return m_rows[r].source == row.source;
    });
    if (first != k) row.kind = TargetKind::SameFileTwice;
  }
}

// The first row that moves the file `file`, or npos.
std::uint32_t RenameBatch::rowMoving(const FileIdentity& file) const {
  if (!file.known()) return NameIndex::npos;
  return m_rowByFile.find(identityHash(file), [&](std::uint32_t r) { return m_rows[r].source == file; });
}

// A row whose target repeats an earlier row's sees what that row's target saw.
std::uint16_t RenameBatch::seenFlags(std::size_t i) const {
  std::uint16_t flags = m_rows[i].flags;
  if (!m_repeatOf.empty()) {
    auto first = m_repeatOf.find(static_cast<std::uint32_t>(i));
    if (first != m_repeatOf.end()) flags |= m_rows[first->second].flags;
  }
  return flags & (kSeen | kSeenFolder);
}

FileIdentity RenameBatch::targetIdentity(std::size_t i) {
  std::uint32_t listed = static_cast<std::uint32_t>(i);
  if (!m_targetInodes.count(listed)) {
    auto first = m_repeatOf.find(listed);
    if (first != m_repeatOf.end()) listed = first->second;
  }
  const Row& row = m_rows[i];
  return identityOfEntry(nativeFolderOf(row, true), nativeToName(row), m_targetInodes[listed],
                         seenFlags(i) & kSeenFolder);
}

void RenameBatch::classifyTarget(std::size_t i) {
  Row& row = m_rows[i];
  if (row.kind != TargetKind::Free) return;  // refused, or unchanged
  const std::uint32_t folderNumber = nativeFolderOf(row, true);
  const NativeFolder& folder = m_nativeFolders[folderNumber];
  bool isFolder = false;
  FileIdentity found;
  std::string_view stored = nativeToName(row);
  if (!folder.listed) {
    const EntryKind kind = m_files.entryKind(nativeTo(i));
    if (kind == EntryKind::None) return;
    isFolder = kind == EntryKind::Folder;
    found = m_files.identity(nativeTo(i));
    stored = {};
  } else if (seenFlags(i) & kSeen) {
    isFolder = seenFlags(i) & kSeenFolder;
    found = targetIdentity(i);
  } else if (const FoldedEntry* entry = foldedEntry(folderNumber, nativeToName(row))) {
    isFolder = entry->isFolder;
    found = identityOfEntry(folderNumber, entry->stored, entry->inode, entry->isFolder);
    stored = entry->stored;
    m_storedSpelling.emplace(static_cast<std::uint32_t>(i), stored);
  } else {
    return;
  }
  if (!isFolder) row.flags |= kIsFile;
  if (found.sameFileAs(row.source)) return classifyOwnFile(i, stored);
  const std::uint32_t owner = rowMoving(found);
  if (owner != NameIndex::npos) {
    row.kind = TargetKind::RowSource;
    row.sourceRow = owner;
    return;
  }
  if (!folder.listed)
    row.kind = isFolder ? TargetKind::ExistingFolder : TargetKind::Unreadable;
  else
    row.kind = isFolder ? TargetKind::ExistingFolder : TargetKind::ExistingFile;
}

// The target is the row's own file: the same name in other letter case on a folder that
// ignores case (renamed through the row's temporary), or another name of it, a hard link, which
// a rename would leave as it is while reporting success.
void RenameBatch::classifyOwnFile(std::size_t i, std::string_view storedName) {
  Row& row = m_rows[i];
  const bool sameFolder = nativeFolderOf(row, false) == nativeFolderOf(row, true);
  const bool caseOnly = m_nativeFolders[nativeFolderOf(row, true)].ignoresCase &&
                        mapped(nativeToName(row), lowerAscii) == mapped(storedName, lowerAscii);
  row.kind = sameFolder && caseOnly ? TargetKind::OwnSpelling : TargetKind::OwnOtherName;
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

// ---- the plan ----

namespace {

bool isMoved(TargetKind kind) {
  switch (kind) {
    case TargetKind::Unchanged:
    case TargetKind::NotConvertible:
    case TargetKind::OwnOtherName:
    case TargetKind::SameFileTwice:
    case TargetKind::NotTheRecordedFile:
      return false;
    default:
      return true;
  }
}

std::size_t depthOf(std::string_view path) { return static_cast<std::size_t>(std::count(path.begin(), path.end(), '/')); }

}  // namespace

// Rows are taken in their order, except that when a row moves a folder, rows deeper in the
// tree go first: the rows inside a folder move before the folder does.
std::vector<std::uint32_t> RenameBatch::deepestFirst() const {
  std::vector<std::uint32_t> order(m_rows.size());
  std::vector<std::size_t> depth(m_rows.size(), 0);
  for (std::uint32_t k = 0; k < m_rows.size(); ++k) {
    order[k] = k;
    const Row& row = m_rows[k];
    if (row.kind != TargetKind::NotConvertible)
      depth[k] = depthOf(m_nativeFolders[nativeFolderOf(row, false)].path) + depthOf(nativeFromName(row));
  }
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return depth[a] > depth[b]; });
  return order;
}

void RenameBatch::plan() {
  m_plan.clear();
  m_cycles.clear();
  std::vector<std::uint32_t> chain;  // reused: most chains are a single row
  auto start = [&](std::uint32_t row) {
    if (m_rows[row].flags & kVisited) return;
    chainFrom(row, chain);
    planChain(chain);
  };
  if (m_hasFolderRows) {
    for (std::uint32_t row : deepestFirst()) start(row);
    return;
  }
  for (std::uint32_t row = 0; row < m_rows.size(); ++row) start(row);
}

// Follows the rows whose targets are other rows' files, from `start` until a row with a target
// of another kind, a row visited before, or a row already on the chain.
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
// a cycle when the last row's target is the file of a row on it; the cycle runs first, as one
// unit: its first row to its temporary, the others from the last back, then the first.
void RenameBatch::planChain(const std::vector<std::uint32_t>& chain) {
  const Row& last = m_rows[chain.back()];
  std::size_t cycleStart = chain.size();
  if (last.kind == TargetKind::RowSource && (m_rows[last.sourceRow].flags & kOnChain)) {
    cycleStart = 0;
    while (chain[cycleStart] != last.sourceRow) ++cycleStart;
  }
  for (std::uint32_t row : chain) m_rows[row].flags = (m_rows[row].flags & ~kOnChain) | kVisited;
  if (cycleStart < chain.size()) {
    const auto begin = static_cast<std::uint32_t>(m_plan.size());
    m_rows[chain[cycleStart]].step = begin;
    m_plan.push_back(chain[cycleStart]);
    for (std::size_t k = chain.size(); k-- > cycleStart + 1;) {
      m_rows[chain[k]].step = static_cast<std::uint32_t>(m_plan.size());
      m_plan.push_back(chain[k]);
    }
    m_cycles.emplace_back(begin, static_cast<std::uint32_t>(m_plan.size()));
  }
  for (std::size_t k = cycleStart; k-- > 0;) planRow(chain[k]);
}

// A row that is not moved (unchanged or refused) gets no step.
void RenameBatch::planRow(std::uint32_t row) {
  if (!isMoved(m_rows[row].kind)) return;
  m_rows[row].step = static_cast<std::uint32_t>(m_plan.size());
  m_plan.push_back(row);
}

bool RenameBatch::isCrossDevice(std::size_t i) const {
  const Row& row = m_rows[i];
  const FileIdentity& target = m_nativeFolders[nativeFolderOf(row, true)].identity;
  return row.source.known() && target.known() && row.source.device != target.device;
}

std::string RenameBatch::temporaryOf(std::size_t i) {
  const Row& row = m_rows[i];
  return temporaryPathFor(m_runId, row.step, m_nativeFolders[nativeFolderOf(row, false)].path);
}

MoveScratch RenameBatch::scratchFor(std::size_t i) {
  RunRecord names;
  names.id = m_runId;
  const std::string& folder = m_nativeFolders[nativeFolderOf(m_rows[i], true)].path;
  const std::uint32_t step = m_rows[i].step;
  MoveScratch scratch{scratchCopyPath(names, step, folder), scratchAsidePath(names, step, folder), {}};
  scratch.copied = [this, i, step](const FileIdentity& copy) {
    m_copies[static_cast<std::uint32_t>(i)] = copy;
    if (m_recording && m_recording->writer) m_recording->writer->noteCopied(step, copy);
  };
  return scratch;
}

// The plan as the record's steps: the batch's native folders and names, read one step at a
// time, so that the record costs no string per row.
bool RenameBatch::writeRecord(BatchRecording& recording, bool overwriteAllowed) {
  RunRecord header = recording.header;
  header.id = m_runId;
  StepSource steps;
  steps.folders.reserve(m_nativeFolders.size());
  for (const NativeFolder& folder : m_nativeFolders) steps.folders.push_back(folder.path);
  steps.count = m_plan.size();
  steps.step = [&](std::size_t k) {
    const std::uint32_t i = m_plan[k];
    const Row& row = m_rows[i];
    StepLine line{nativeFolderOf(row, false), sourceName(i), nativeFolderOf(row, true), nativeToName(row),
                  row.source, (row.flags & kSourceFolder) != 0, isCrossDevice(i),
                  overwriteAllowed && row.kind == TargetKind::ExistingFile && !(row.flags & kTargetTaken), -1};
    if (recording.journalLineOf) line.journalLine = recording.journalLineOf(i);
    return line;
  };
  return recording.writer->write(header, steps);
}

// ---- execution ----

bool RenameBatch::execute(bool overwriteAllowed, ChangeHistory& history, const ProgressCallback& progress,
                          std::size_t interval, BatchRecording* recording) {
  m_overwriteAllowed = overwriteAllowed;
  m_history = &history;
  m_progress = &progress;
  m_recording = recording;
  m_interval = interval == 0 ? 1 : interval;
  plan();
  if (recording && recording->writer && !writeRecord(*recording, overwriteAllowed)) return false;
  history.reserve(history.size() + m_rows.size());
  // Rows that are not moved are settled first; then the steps in their order, a cycle as one.
  for (std::size_t i = 0; i < m_rows.size(); ++i) {
    if (!isMoved(m_rows[i].kind)) runSingle(i);
  }
  std::size_t cycle = 0;
  for (std::uint32_t step = 0; step < m_plan.size();) {
    if (cycle < m_cycles.size() && m_cycles[cycle].first == step) {
      runPlannedCycle(m_cycles[cycle].first, m_cycles[cycle].second);
      step = m_cycles[cycle++].second;
      continue;
    }
    runSingle(m_plan[step++]);
  }
  checkOwnSpellings();
  if (progress) progress(m_finished, m_rows.size());
  return true;
}

// The plan holds a cycle as it runs; runCycle takes it in the order the rows wait.
void RenameBatch::runPlannedCycle(std::uint32_t begin, std::uint32_t end) {
  std::vector<std::uint32_t> cycle{m_plan[begin]};
  for (std::uint32_t k = end; k-- > begin + 1;) cycle.push_back(m_plan[k]);
  runCycle(cycle);
}

RenameStatus RenameBatch::move(std::size_t i, const std::string& from, const std::string& to, bool replace) {
  if (!isCrossDevice(i)) return m_files.rename(from, to, replace);
  const MoveScratch scratch = scratchFor(i);
  return m_files.rename(from, to, replace, &scratch);
}

// The file of row i stayed at `temporary`: the failure line names it in the program's text.
void RenameBatch::leaveAt(std::size_t i, const std::string& temporary) {
  m_leftAt[static_cast<std::uint32_t>(i)] =
      std::string(m_folders[m_rows[i].fromFolder].text) + std::string(nameOf(temporary));
}

// cycle[k]'s target is cycle[k + 1]'s file and the last one's target cycle[0]'s file.
void RenameBatch::runCycle(const std::vector<std::uint32_t>& cycle) {
  const std::uint32_t first = cycle.front();
  const std::string temporary = temporaryOf(first);
  RenameStatus status = m_files.rename(nativeFromCopy(first), temporary, false);
  if (!status.ok()) {
    fail(first, FailureKind::System, status.error);
    for (std::size_t k = 1; k < cycle.size(); ++k) fail(cycle[k], FailureKind::CycleUndone);
    return;
  }
  std::vector<std::uint32_t> done;
  std::optional<std::uint32_t> failedRow;
  for (std::size_t k = cycle.size(); k-- > 1;) {
    status = move(cycle[k], nativeFromCopy(cycle[k]), nativeToCopy(cycle[k]), false);
    if (!status.ok()) {
      failedRow = cycle[k];
      break;
    }
    done.push_back(cycle[k]);
  }
  if (!failedRow) {
    status = move(first, temporary, nativeToCopy(first), false);
    if (status.ok()) {
      for (std::uint32_t row : done) succeed(row);
      succeed(first);
      return;
    }
    failedRow = first;
  }
  // Put everything back: the steps made, newest first, then the temporary name. A step back
  // across file systems writes its copy beside the source, not under the scratch names of the
  // step, which are in the target's folder.
  const int error = status.error;
  std::vector<std::uint32_t> stayed;  // could not be put back: they carry their planned names
  for (auto row = done.rbegin(); row != done.rend(); ++row) {
    if (m_files.rename(nativeToCopy(*row), nativeFromCopy(*row), false).ok())
      fail(*row, FailureKind::CycleUndone);
    else
      stayed.push_back(*row);
  }
  // The history takes them in the order they were made, as undo reverses them.
  for (auto row = stayed.rbegin(); row != stayed.rend(); ++row) succeed(*row);
  const RenameStatus back = m_files.rename(temporary, nativeFromCopy(first), false);
  for (std::size_t k = 1; k < cycle.size(); ++k) {
    if (cycle[k] != *failedRow && m_rows[cycle[k]].state == MoveState::Pending)
      fail(cycle[k], FailureKind::CycleUndone);
  }
  if (*failedRow != first) fail(*failedRow, FailureKind::System, error);
  if (*failedRow == first || !back.ok())
    fail(first, FailureKind::System, *failedRow == first ? error : back.error);
  else
    fail(first, FailureKind::CycleUndone);
  if (!back.ok()) leaveAt(first, temporary);
}

void RenameBatch::runSingle(std::size_t i) {
  switch (m_rows[i].kind) {
    case TargetKind::Unchanged:
      m_rows[i].state = MoveState::Unchanged;
      finishedOne();
      return;
    case TargetKind::NotConvertible: return fail(i, FailureKind::NotConvertible);
    case TargetKind::SameFileTwice: return fail(i, FailureKind::SameFileTwice);
    case TargetKind::OwnOtherName: return fail(i, FailureKind::TargetIsSameFile);
    case TargetKind::NotTheRecordedFile: return fail(i, FailureKind::NotTheRecordedFile);
    case TargetKind::OwnSpelling: return runOwnSpelling(i);
    default: break;
  }
  // Only a file that was there before the batch and is no row's file may be replaced.
  const bool replace =
      m_overwriteAllowed && m_rows[i].kind == TargetKind::ExistingFile && !(m_rows[i].flags & kTargetTaken);
  // The two paths are composed in buffers of their own, which the move does not touch.
  const RenameStatus status = move(i, nativeFrom(i), nativeTo(i), replace);
  if (status.ok())
    succeed(i);
  else
    fail(i, FailureKind::System, status.error);
}

void RenameBatch::runOwnSpelling(std::size_t i) {
  const std::string temporary = temporaryOf(i);
  RenameStatus status = m_files.rename(nativeFromCopy(i), temporary, false);
  if (!status.ok()) return fail(i, FailureKind::System, status.error);
  status = m_files.rename(temporary, nativeToCopy(i), false);
  if (!status.ok()) {
    const RenameStatus back = m_files.rename(temporary, nativeFromCopy(i), false);
    fail(i, FailureKind::System, status.error);
    if (!back.ok()) leaveAt(i, temporary);
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
  // The rows awaiting their check by target: another row may have the same target under another
  // spelling of its folder, so the index of targets cannot tell which row a name is for.
  std::unordered_multimap<std::string_view, std::uint32_t> awaiting;
  for (std::uint32_t i : m_ownSpellings) awaiting.emplace(nativeToName(m_rows[i]), i);
  for (std::uint32_t i : m_ownSpellings) {
    const std::uint32_t folder = nativeFolderOf(m_rows[i], true);
    if (listed[folder]) continue;
    listed[folder] = true;
    unlistable[folder] = !m_files.listFolder(m_nativeFolders[folder].path, [&](const FolderEntry& entry) {
      auto [first, last] = awaiting.equal_range(entry.name);
      for (; first != last; ++first) {
        if (nativeFolderOf(m_rows[first->second], true) == folder) m_rows[first->second].flags |= kShown;
      }
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
  auto copy = m_copies.find(static_cast<std::uint32_t>(i));
  m_history->appendRename(m_folders[row.fromFolder].text, row.fromName, m_folders[row.toFolder].text, row.toName,
                          copy == m_copies.end() ? row.source : copy->second);
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
