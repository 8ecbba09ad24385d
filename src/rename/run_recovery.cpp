// Recovery takes the steps one at a time in the direction's order and looks for each file again
// just before it moves it: earlier moves (a folder's among them) change where later files are.
// It deletes nothing but the run's own copies and scratch names, and only once the file they
// were made from is known to be whole somewhere else.
#include "rename/run_recovery.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <set>
#include <string_view>
#include <unistd.h>
#include <unordered_map>

namespace namitra::rename {

namespace {

// The places of a step's file that the record names. The copy of a move between file systems
// is at `To`; its source is at `From` or `Temporary`.
enum class Place { Nowhere, From, Temporary, To };

struct Found {
  Place place = Place::Nowhere;
  std::string path;
};

std::string_view folderOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

std::string_view nameOf(std::string_view path) { return path.substr(folderOf(path).size()); }

std::string reasonOf(int error) { return RenameStatus{error}.reason(); }

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

bool differOnlyInLetterCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size() || a == b) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

class Recovery {
 public:
  Recovery(const RunRecord& record, RecoveryDirection direction, FileAccess& files);
  RecoveryReport run();

 private:
  // Where things are.
  std::optional<std::size_t> folderStepAt(std::string_view ancestor, std::size_t step) const;
  std::string current(const std::string& path, std::size_t step);
  std::string pathOf(std::size_t step, Place place);
  Found locate(std::size_t step);
  Found locateByIdentity(std::size_t step);
  Found copiedByEarlierRecovery(std::size_t step);
  bool listingShowsOnly(const std::string& shown, const std::string& hidden);
  bool isOwnSpelling(std::size_t step, const Found& found, const std::string& target, const FileIdentity& occupant);
  bool isRunFile(const FileIdentity& id);
  bool isOwnFile(std::size_t step, const FileIdentity& id) const {
    return m_source[step].sameFileAs(id) || m_copy[step].sameFileAs(id);
  }
  bool holdsForeignFile(const std::string& path);

  // Moving a step's file.
  Place wanted() const { return m_finish ? Place::To : Place::From; }
  Place otherEnd() const { return m_finish ? Place::From : Place::To; }
  void settle(std::size_t step);
  void moveTowardWanted(std::size_t step, const Found& found);
  void moveThroughTemporary(std::size_t step, const Found& found);
  void wait(std::size_t step, const Found& found);
  void resolveWaiting();
  void leaveForOtherEnd(std::size_t step, const Found& found);
  bool move(std::size_t step, const Found& found, Place place, bool replace);

  // The copy of a move between file systems and its scratch names.
  void settleAcross(std::size_t step);
  void settleCopyAtTo(std::size_t step, const Found& found);
  void settleSource(std::size_t step, const Found& found);
  bool copyStandsAt(std::size_t step, const std::string& to);
  std::string forwardScratch(std::size_t step);
  std::string backScratch(std::size_t step);
  std::string asidePath(std::size_t step);
  void restoreAside(std::size_t step);
  void deleteFile(const std::string& path);

  RecoveredStep outcome(std::size_t step);
  void flushChangedFolders();

  const RunRecord& m_record;
  const bool m_finish;
  FileAccess& m_files;
  // The identity of each step's file on its source side and on its target side; they differ
  // only for a move between file systems, and change when recovery copies the file itself.
  std::vector<FileIdentity> m_source;
  std::vector<FileIdentity> m_copy;
  std::unordered_multimap<FileIdentity, std::size_t, FileIdentityHash> m_stepsByIdentity;
  std::unordered_map<std::string_view, std::size_t> m_folderFrom;  // folder steps by `from`
  std::unordered_map<std::string_view, std::size_t> m_folderTo;
  std::vector<std::size_t> m_waiting;
  std::vector<std::string> m_reasons;
  std::set<std::string, std::less<>> m_changedFolders;
  RecoveryReport m_report;
};

Recovery::Recovery(const RunRecord& record, RecoveryDirection direction, FileAccess& files)
    : m_record(record), m_finish(direction == RecoveryDirection::Finish), m_files(files) {
  const std::size_t count = record.steps.size();
  m_source.reserve(count);
  m_copy.reserve(count);
  m_reasons.resize(count);
  for (std::size_t k = 0; k < count; ++k) {
    const RunStep& step = record.steps[k];
    m_source.push_back(step.identity);
    m_copy.push_back(step.crossDevice ? step.copied : step.identity);
    if (step.identity.known()) m_stepsByIdentity.emplace(step.identity, k);
    if (step.copied.known()) m_stepsByIdentity.emplace(step.copied, k);
    if (!step.isFolder) continue;
    m_folderFrom.emplace(step.from, k);
    m_folderTo.emplace(step.to, k);
  }
}

RecoveryReport Recovery::run() {
  const std::size_t count = m_record.steps.size();
  if (m_finish) {
    for (std::size_t k = 0; k < count; ++k) settle(k);
  } else {
    for (std::size_t k = count; k-- > 0;) settle(k);
  }
  resolveWaiting();
  m_report.complete = true;
  m_report.steps.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    m_report.steps.push_back(outcome(k));
    if (!m_report.steps.back().reason.empty()) m_report.complete = false;
  }
  flushChangedFolders();
  return std::move(m_report);
}

// --- Where things are ---

// The folder step whose folder `ancestor` named when the run wrote the paths of `step`: a
// folder still to be renamed after it sits at its `from`, one renamed before it at its `to`.
std::optional<std::size_t> Recovery::folderStepAt(std::string_view ancestor, std::size_t step) const {
  if (auto it = m_folderFrom.find(ancestor); it != m_folderFrom.end() && it->second > step) return it->second;
  if (auto it = m_folderTo.find(ancestor); it != m_folderTo.end() && it->second < step) return it->second;
  return std::nullopt;
}

// `path` as written for `step`, below wherever the renamed folder holding it is now.
std::string Recovery::current(const std::string& path, std::size_t step) {
  if (m_folderFrom.empty()) return path;
  for (std::size_t slash = path.rfind('/'); slash != std::string::npos && slash > 0;
       slash = path.rfind('/', slash - 1)) {
    const std::optional<std::size_t> folder = folderStepAt(std::string_view(path).substr(0, slash), step);
    if (!folder) continue;
    const Found now = locate(*folder);
    if (now.place == Place::Nowhere) return path;
    return now.path + path.substr(slash);
  }
  return path;
}

std::string Recovery::pathOf(std::size_t step, Place place) {
  const RunStep& s = m_record.steps[step];
  switch (place) {
    case Place::From: return current(s.from, step);
    case Place::Temporary: return current(s.temporary, step);
    case Place::To: return current(s.to, step);
    case Place::Nowhere: break;
  }
  return {};
}

Found Recovery::locate(std::size_t step) {
  Found found = locateByIdentity(step);
  if (found.place != Place::Nowhere || !m_record.steps[step].crossDevice) return found;
  return copiedByEarlierRecovery(step);
}

Found Recovery::locateByIdentity(std::size_t step) {
  std::string from = pathOf(step, Place::From);
  if (m_source[step].sameFileAs(m_files.identity(from))) {
    std::string to = pathOf(step, Place::To);
    if (m_copy[step].sameFileAs(m_files.identity(to)) && listingShowsOnly(to, from)) return {Place::To, to};
    return {Place::From, std::move(from)};
  }
  std::string temporary = pathOf(step, Place::Temporary);
  if (m_source[step].sameFileAs(m_files.identity(temporary))) return {Place::Temporary, std::move(temporary)};
  std::string to = pathOf(step, Place::To);
  if (m_copy[step].sameFileAs(m_files.identity(to))) return {Place::To, std::move(to)};
  return {};
}

// A recovery before this one may have copied the file between the file systems itself, giving
// it an identity the record cannot name. With the file nowhere else, a file at the direction's
// end that is no other step's is taken to be that copy.
Found Recovery::copiedByEarlierRecovery(std::size_t step) {
  std::string end = pathOf(step, wanted());
  if (!holdsForeignFile(end)) return {};
  return {wanted(), std::move(end)};
}

// On a folder that ignores case, the two spellings of a rename that changes only letter case
// name the same file; the listing tells which spelling it has now.
bool Recovery::listingShowsOnly(const std::string& shown, const std::string& hidden) {
  if (shown == hidden || folderOf(shown) != folderOf(hidden)) return false;
  bool shownListed = false;
  bool hiddenListed = false;
  m_files.listFolder(std::string(folderOf(shown)), [&](const FolderEntry& entry) {
    shownListed = shownListed || entry.name == nameOf(shown);
    hiddenListed = hiddenListed || entry.name == nameOf(hidden);
  });
  return shownListed && !hiddenListed;
}

// Whether `occupant`, at `target`, is the step's own file under another spelling. Where the
// file system gives the lookup of each spelling an identity of its own (exFAT through FUSE),
// the listing decides: it shows only the file's spelling, and `target` differs from it in
// letter case alone, so the folder can hold no other file that `target` would name.
bool Recovery::isOwnSpelling(std::size_t step, const Found& found, const std::string& target,
                             const FileIdentity& occupant) {
  if (isOwnFile(step, occupant)) return true;
  return differOnlyInLetterCase(nameOf(found.path), nameOf(target)) && listingShowsOnly(found.path, target);
}

// Whether the file of identity `id` is a step's file at one of its places. The identity alone
// does not say so: a file system gives the number of a source the run deleted to new files.
bool Recovery::isRunFile(const FileIdentity& id) {
  if (!id.known()) return false;
  const auto [first, last] = m_stepsByIdentity.equal_range(id);
  for (auto it = first; it != last; ++it) {
    const Found found = locateByIdentity(it->second);
    if (found.place == Place::Nowhere) continue;
    const FileIdentity& matched = found.place == Place::To ? m_copy[it->second] : m_source[it->second];
    if (matched == id) return true;
  }
  return false;
}

bool Recovery::holdsForeignFile(const std::string& path) {
  const FileIdentity id = m_files.identity(path);
  return id.known() && !isRunFile(id);
}

// --- Moving a step's file ---

void Recovery::settle(std::size_t step) {
  if (m_record.steps[step].crossDevice) return settleAcross(step);
  const Found found = locate(step);
  if (found.place == Place::Nowhere || found.place == wanted()) return;
  moveTowardWanted(step, found);
}

void Recovery::moveTowardWanted(std::size_t step, const Found& found) {
  const std::string target = pathOf(step, wanted());
  const FileIdentity occupant = m_files.identity(target);
  if (!occupant.known()) {
    if (!move(step, found, wanted(), false)) leaveForOtherEnd(step, found);
    return;
  }
  if (isOwnSpelling(step, found, target, occupant)) return moveThroughTemporary(step, found);
  if (isRunFile(occupant)) return wait(step, found);
  if (m_finish && m_record.steps[step].replaceAllowed) {
    if (!move(step, found, wanted(), true)) leaveForOtherEnd(step, found);
    return;
  }
  m_reasons[step] = reasonOf(EEXIST);
  leaveForOtherEnd(step, found);
}

// A rename that changes only letter case, on a folder that ignores it: a direct rename may
// be refused or change nothing.
void Recovery::moveThroughTemporary(std::size_t step, const Found& found) {
  if (found.place != Place::Temporary && !move(step, found, Place::Temporary, false)) return;
  const Found waiting{Place::Temporary, pathOf(step, Place::Temporary)};
  if (!move(step, waiting, wanted(), false)) leaveForOtherEnd(step, waiting);
}

void Recovery::wait(std::size_t step, const Found& found) {
  if (found.place != Place::Temporary && !move(step, found, Place::Temporary, false)) return;
  m_waiting.push_back(step);
}

// The files that waited for another file of the run to leave their place.
void Recovery::resolveWaiting() {
  for (std::size_t step : m_waiting) {
    const Found found = locate(step);
    if (found.place != Place::Temporary) continue;
    const FileIdentity occupant = m_files.identity(pathOf(step, wanted()));
    const bool free = !occupant.known();
    const bool replaceable = m_finish && m_record.steps[step].replaceAllowed && !isRunFile(occupant);
    if ((free || replaceable) && move(step, found, wanted(), !free)) continue;
    if (!free && !replaceable) m_reasons[step] = reasonOf(EEXIST);
    leaveForOtherEnd(step, found);
  }
}

// A file that cannot reach its place is never left at a temporary name when its other end
// is free.
void Recovery::leaveForOtherEnd(std::size_t step, const Found& found) {
  if (found.place != Place::Temporary) return;
  if (m_files.identity(pathOf(step, otherEnd())).known()) return;
  move(step, found, otherEnd(), false);
}

bool Recovery::move(std::size_t step, const Found& found, Place place, bool replace) {
  const RunStep& s = m_record.steps[step];
  const std::string target = pathOf(step, place);
  const bool across = s.crossDevice && (found.place == Place::To) != (place == Place::To);
  MoveScratch scratch;
  if (across) {
    scratch.copyPath = scratchCopyPath(m_record, step, folderOf(target));
    scratch.asidePath = scratchAsidePath(m_record, step, folderOf(target));
  }
  const RenameStatus status = m_files.rename(found.path, target, replace, across ? &scratch : nullptr);
  if (!status.ok()) {
    m_reasons[step] = status.reason();
    return false;
  }
  m_report.moves.push_back({found.path, target});
  m_changedFolders.emplace(folderOf(found.path));
  m_changedFolders.emplace(folderOf(target));
  if (across) {
    const FileIdentity copy = m_files.identity(target);
    (place == Place::To ? m_copy : m_source)[step] = copy;
    if (copy.known()) m_stepsByIdentity.emplace(copy, step);
  }
  return true;
}

// --- Moves between file systems ---

void Recovery::settleAcross(std::size_t step) {
  const Found found = locate(step);
  // With the file nowhere, its scratch copies stay: they may be all that is left of it.
  if (found.place == Place::Nowhere) return restoreAside(step);
  if (found.place == Place::To) return settleCopyAtTo(step, found);
  settleSource(step, found);
}

// The copy stands at `to` and the source is gone: any other copy is redundant.
void Recovery::settleCopyAtTo(std::size_t step, const Found& found) {
  deleteFile(forwardScratch(step));
  deleteFile(backScratch(step));
  if (m_finish) return deleteFile(asidePath(step));  // the replacement stands
  moveTowardWanted(step, found);
  restoreAside(step);
}

// The source is whole on its own side; what was made of it on the other side goes, except a
// complete copy already at `to` when finishing, which only lacks the source's removal.
void Recovery::settleSource(std::size_t step, const Found& found) {
  deleteFile(forwardScratch(step));
  const std::string to = pathOf(step, Place::To);
  const bool copyPlaced = copyStandsAt(step, to);
  if (copyPlaced && m_finish) {
    m_changedFolders.emplace(folderOf(to));
    flushChangedFolders();  // the copy's name must outlast the source
    deleteFile(found.path);
    return deleteFile(asidePath(step));
  }
  if (copyPlaced) deleteFile(to);
  restoreAside(step);
  if (found.place != wanted()) moveTowardWanted(step, found);
}

// Whether the copy made of a source that is still whole stands at `to`. Without its "copied"
// line (damaged, or the copy is recovery's own), the copy is still known by the replaced
// target set aside: after that, only the copy is put at `to`.
bool Recovery::copyStandsAt(std::size_t step, const std::string& to) {
  const FileIdentity atTo = m_files.identity(to);
  if (m_copy[step].sameFileAs(atTo)) return true;
  return atTo.known() && !isRunFile(atTo) && m_files.identity(asidePath(step)).known();
}

// The scratch copy of the move toward `to`, in the folder of `to`.
std::string Recovery::forwardScratch(std::size_t step) {
  return scratchCopyPath(m_record, step, folderOf(pathOf(step, Place::To)));
}

// The scratch copy of a move back, in the folder of `from` (which holds the temporary too).
std::string Recovery::backScratch(std::size_t step) {
  return scratchCopyPath(m_record, step, folderOf(pathOf(step, Place::From)));
}

std::string Recovery::asidePath(std::size_t step) {
  return scratchAsidePath(m_record, step, folderOf(pathOf(step, Place::To)));
}

// Puts a replaced target back at `to`, unless something else has taken its place.
void Recovery::restoreAside(std::size_t step) {
  const std::string aside = asidePath(step);
  if (!m_files.identity(aside).known()) return;
  const std::string to = pathOf(step, Place::To);
  const RenameStatus status = m_files.rename(aside, to, false);
  if (!status.ok()) {
    m_reasons[step] = status.reason();
    return;
  }
  m_report.moves.push_back({aside, to});
  m_changedFolders.emplace(folderOf(to));
}

void Recovery::deleteFile(const std::string& path) {
  if (::unlink(path.c_str()) == 0) m_changedFolders.emplace(folderOf(path));
}

// --- The report ---

RecoveredStep Recovery::outcome(std::size_t step) {
  const Found found = locate(step);
  RecoveredStep result;
  const std::string& reason = m_reasons[step];
  if (found.place == Place::Nowhere) {
    result.reason = reasonOf(ENOENT);
    return result;
  }
  if (found.place == Place::Temporary) {
    result.place = StepPlace::Stuck;
    result.leftAt = found.path;
    result.reason = reason.empty() ? reasonOf(EEXIST) : reason;
    return result;
  }
  result.place = found.place == Place::From ? StepPlace::AtFrom : StepPlace::AtTo;
  if (found.place != wanted()) result.reason = reason.empty() ? reasonOf(EEXIST) : reason;
  return result;
}

// The caller removes the record once recovery returns: the moves must be on disk first.
void Recovery::flushChangedFolders() {
  for (const std::string& folder : m_changedFolders) {
    const int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) continue;
    ::fsync(descriptor);
    ::close(descriptor);
  }
  m_changedFolders.clear();
}

}  // namespace

RecoveryReport recoverRun(const RunRecord& record, RecoveryDirection direction, FileAccess& files) {
  return Recovery(record, direction, files).run();
}

}  // namespace namitra::rename
