// The run record's text, its file and its lock. The text is appended into one buffer with no
// stream per step and written in large pieces (a record of 100,000 steps is written before the
// first rename, so it must cost little); it is parsed with no trust in anything after the last
// intact line, since a cut-off write loses the tail.
#include "rename/run_record.h"

#include "platform/sealed_line.h"
#include "platform/text_file.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <functional>
#include <fcntl.h>
#include <unordered_map>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace namitra::rename {

using platform::appendEscaped;
using platform::appendHex8;
using platform::crc32;
using platform::parseHex8;
using platform::unescaped;

namespace {

constexpr std::string_view kFirstLine = "namitra-run 1\n";
constexpr std::string_view kTemporaryPrefix = ".namitra-";
constexpr std::string_view kRecordPrefix = "run-";
constexpr std::string_view kRecordSuffix = ".record";
// A record is created under this suffix and renamed to its real name only once it is locked,
// so that no claimer ever finds a record of a live process unlocked.
constexpr std::string_view kStagingSuffix = ".new";


template <typename Number>
void appendNumber(std::string& out, Number value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void appendIdentity(std::string& out, const FileIdentity& id) {
  appendNumber(out, id.device);
  out += ':';
  appendNumber(out, id.inode);
}

std::string_view folderOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

// --- Reading lines and fields ---

// Splits off the next line ending in "\n"; nullopt when none is left whole.
std::optional<std::string_view> takeLine(std::string_view text, std::size_t& at) {
  const std::size_t end = text.find('\n', at);
  if (end == std::string_view::npos) return std::nullopt;
  const std::string_view line = text.substr(at, end - at);
  at = end + 1;
  return line;
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

template <typename Number>
bool parseNumber(std::string_view text, Number& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size();
}


// "name<TAB>value" with the given name; the value unescaped.
std::optional<std::string> headerValue(std::string_view text, std::size_t& at, std::string_view name) {
  const std::optional<std::string_view> line = takeLine(text, at);
  if (!line || !line->starts_with(name) || line->size() == name.size() || (*line)[name.size()] != '\t')
    return std::nullopt;
  return unescaped(line->substr(name.size() + 1));
}

// F folder, X between file systems, R may replace, T the temporary is the reserved one (its
// field is left empty); "-" for none.
bool parseFlags(std::string_view flags, RunStep& step, bool& reservedTemporary) {
  if (flags == "-") return true;
  for (char flag : flags) {
    switch (flag) {
      case 'F': step.isFolder = true; break;
      case 'X': step.crossDevice = true; break;
      case 'R': step.replaceAllowed = true; break;
      case 'T': reservedTemporary = true; break;
      default: return false;
    }
  }
  return !flags.empty();
}

std::optional<RunStep> parseStep(std::string_view line, std::string_view id, std::size_t index,
                                 const std::vector<std::string>& folders) {
  const std::vector<std::string_view> fields = fieldsOf(line);
  if (fields.size() != 9 || fields[0] != "step") return std::nullopt;
  RunStep step;
  bool reservedTemporary = false;
  std::size_t fromFolder = 0;
  std::size_t toFolder = 0;
  std::optional<FileIdentity> identity = parseIdentity(fields[2]);
  std::optional<std::string> fromName = unescaped(fields[4]);
  std::optional<std::string> toName = unescaped(fields[6]);
  std::optional<std::string> temporary = unescaped(fields[7]);
  if (!parseFlags(fields[1], step, reservedTemporary) || !identity || !fromName || !toName || !temporary) return std::nullopt;
  if (!parseNumber(fields[3], fromFolder) || !parseNumber(fields[5], toFolder) || fromFolder >= folders.size() ||
      toFolder >= folders.size())
    return std::nullopt;
  if (!parseNumber(fields[8], step.journalLine) || (reservedTemporary && !temporary->empty())) return std::nullopt;
  step.identity = *identity;
  step.from = folders[fromFolder] + *fromName;
  step.to = folders[toFolder] + *toName;
  step.temporary = reservedTemporary ? temporaryPathFor(id, index, folders[fromFolder]) : std::move(*temporary);
  return step;
}

// "folder<TAB>path" lines, in their order.
bool parseFolders(std::string_view body, std::size_t& at, std::vector<std::string>& folders) {
  for (std::size_t next = at;;) {
    const std::optional<std::string_view> line = takeLine(body, next);
    if (!line || !line->starts_with("folder\t")) return true;
    std::optional<std::string> folder = unescaped(line->substr(7));
    if (!folder) return false;
    folders.push_back(std::move(*folder));
    at = next;
  }
}

// The header lines and the steps, from a text whose end line has been checked.
bool parseBody(std::string_view body, std::size_t stepCount, RunRecord& record) {
  std::size_t at = kFirstLine.size();
  std::optional<std::string> id = headerValue(body, at, "id");
  std::optional<std::string> origin = headerValue(body, at, "origin");
  std::optional<std::string> kind = headerValue(body, at, "kind");
  std::optional<std::string> journal = headerValue(body, at, "journal");
  std::optional<std::string> journalSize = headerValue(body, at, "journal-size");
  if (!id || !origin || !kind || !journal || !journalSize) return false;
  if ((*kind != "rename" && *kind != "undo") || !parseNumber(*journalSize, record.journalSize)) return false;
  record.id = std::move(*id);
  record.origin = std::move(*origin);
  record.kind = *kind == "undo" ? RunKind::Undo : RunKind::Rename;
  record.journal = std::move(*journal);
  std::vector<std::string> folders;
  if (!parseFolders(body, at, folders)) return false;
  record.steps.reserve(stepCount);
  while (std::optional<std::string_view> line = takeLine(body, at)) {
    std::optional<RunStep> step = parseStep(*line, record.id, record.steps.size(), folders);
    if (!step) return false;
    record.steps.push_back(std::move(*step));
  }
  return at == body.size() && record.steps.size() == stepCount;
}

// Applies one line after the end line; false when it is damaged.
bool applyCopiedLine(std::string_view line, RunRecord& record) {
  const std::size_t lastTab = line.rfind('\t');
  if (lastTab == std::string_view::npos) return false;
  std::uint32_t crc = 0;
  if (!parseHex8(line.substr(lastTab + 1), crc) || crc != crc32(line.substr(0, lastTab + 1))) return false;
  const std::vector<std::string_view> fields = fieldsOf(line.substr(0, lastTab));
  std::size_t step = 0;
  if (fields.size() != 3 || fields[0] != "copied" || !parseNumber(fields[1], step)) return false;
  const std::optional<FileIdentity> copy = parseIdentity(fields[2]);
  if (!copy || step >= record.steps.size()) return false;
  record.steps[step].copied = *copy;
  return true;
}

struct EndLine {
  std::size_t bodySize = 0;  // the bytes the line's CRC covers
  std::size_t stepCount = 0;
  std::size_t next = 0;      // where the lines after it begin
};

// The end line, when it is whole and its CRC matches the text before it.
std::optional<EndLine> checkedEndLine(std::string_view text) {
  // Escaped fields hold no line feed, so "\nend\t" can only start the end line.
  const std::size_t found = text.find("\nend\t");
  if (found == std::string_view::npos) return std::nullopt;
  EndLine end{found + 1, 0, found + 1};
  const std::optional<std::string_view> line = takeLine(text, end.next);
  if (!line) return std::nullopt;
  const std::vector<std::string_view> fields = fieldsOf(*line);
  std::uint32_t crc = 0;
  if (fields.size() != 3 || !parseNumber(fields[1], end.stepCount) || !parseHex8(fields[2], crc)) return std::nullopt;
  if (crc != crc32(text.substr(0, end.bodySize))) return std::nullopt;
  return end;
}

// A text that is nothing yet, or the start of the first line, or what a torn write leaves (a
// length with no data): the writer was cut off before the record was whole.
bool isUnwrittenStart(std::string_view text) {
  if (kFirstLine.starts_with(text)) return true;
  return std::all_of(text.begin(), text.end(), [](char c) { return c == '\0'; });
}

// --- Files ---

std::string systemReason(int error) {
  char buffer[256];
  return ::strerror_r(error, buffer, sizeof buffer);
}

using platform::writeAll;

bool syncFolder(const std::filesystem::path& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool synced = ::fsync(descriptor) == 0;
  ::close(descriptor);
  return synced;
}

std::optional<std::string> readAll(int descriptor) {
  std::string text;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) return text;
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

bool isRecordName(std::string_view name) {
  return name.size() > kRecordPrefix.size() + kRecordSuffix.size() && name.starts_with(kRecordPrefix) &&
         name.ends_with(kRecordSuffix);
}

bool isStagingName(std::string_view name) {
  return name.size() > kRecordPrefix.size() + kStagingSuffix.size() && name.substr(0, kRecordPrefix.size()) == kRecordPrefix &&
         name.substr(name.size() - kStagingSuffix.size()) == kStagingSuffix;
}

// A process killed between creating its record and giving it its name leaves the staging file,
// which held no step yet. Nobody holds it then; one made in the last minute is left alone, so
// that a writer about to lock its new file never loses it.
void removeIfStaleStaging(const std::filesystem::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || ::time(nullptr) - info.st_mtime < 60) return;
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (descriptor < 0) return;
  if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
  ::close(descriptor);
}

// The record names of the data folder, oldest first: run ids begin with the time.
std::vector<std::filesystem::path> recordsIn(const std::filesystem::path& dataFolder) {
  std::vector<std::filesystem::path> records;
  std::error_code error;
  for (std::filesystem::directory_iterator it(dataFolder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().native();
    if (isRecordName(name)) records.push_back(it->path());
    if (isStagingName(name)) removeIfStaleStaging(it->path());
  }
  std::sort(records.begin(), records.end());
  return records;
}

// Whether `path` still names the file open at `descriptor` (it may have been removed, or
// replaced, between the listing and the lock).
bool stillNamed(int descriptor, const std::filesystem::path& path) {
  struct stat held {}, named {};
  return ::fstat(descriptor, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

struct LockedRecord {
  std::filesystem::path path;
  int descriptor = -1;
};

// The oldest record nobody holds, locked.
std::optional<LockedRecord> lockUnfinishedRun(const std::filesystem::path& dataFolder) {
  for (const std::filesystem::path& path : recordsIn(dataFolder)) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0) continue;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0 && stillNamed(descriptor, path))
      return LockedRecord{path, descriptor};
    ::close(descriptor);
  }
  return std::nullopt;
}

std::string base36(std::uint64_t value, std::size_t width) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value % 36]);
    value /= 36;
  } while (value > 0);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

// Whether a step of `record` has the temporary reserved for it: every step of a run does, and
// the record leaves out what it can derive.
bool hasReservedTemporary(const RunStep& step, std::string_view id, std::size_t index) {
  return step.temporary == temporaryPathFor(id, index, folderOf(step.from));
}

void appendStepLine(std::string& text, const StepLine& step, std::string_view temporary) {
  const bool reserved = temporary.empty();
  text += "step\t";
  if (step.isFolder) text += 'F';
  if (step.crossDevice) text += 'X';
  if (step.replaceAllowed) text += 'R';
  if (reserved) text += 'T';
  if (!step.isFolder && !step.crossDevice && !step.replaceAllowed && !reserved) text += '-';
  text += '\t';
  appendIdentity(text, step.identity);
  text += '\t';
  appendNumber(text, step.fromFolder);
  text += '\t';
  appendEscaped(text, step.fromName);
  text += '\t';
  appendNumber(text, step.toFolder);
  text += '\t';
  appendEscaped(text, step.toName);
  text += '\t';
  appendEscaped(text, temporary);
  text += '\t';
  appendNumber(text, step.journalLine);
  text += '\n';
}

// The folders of a record's steps, each once, and its steps as lines over them.
class RecordSteps {
 public:
  explicit RecordSteps(const RunRecord& record) : m_record(record) {
    for (const RunStep& step : record.steps) {
      number(folderOf(step.from));
      number(folderOf(step.to));
    }
  }
  StepSource source() const {
    StepSource source{m_folders, m_record.steps.size(), {}};
    source.step = [this](std::size_t k) { return lineOf(k); };
    return source;
  }
  // The temporary to write out for step k: empty when it is the reserved one.
  std::string_view temporaryOf(std::size_t k) const {
    const RunStep& step = m_record.steps[k];
    return hasReservedTemporary(step, m_record.id, k) ? std::string_view{} : std::string_view(step.temporary);
  }

 private:
  std::uint32_t number(std::string_view folder) {
    auto [known, added] = m_numbers.try_emplace(folder, static_cast<std::uint32_t>(m_folders.size()));
    if (added) m_folders.push_back(folder);
    return known->second;
  }
  StepLine lineOf(std::size_t k) const {
    const RunStep& step = m_record.steps[k];
    const std::string_view from = step.from;
    const std::string_view to = step.to;
    return {m_numbers.at(folderOf(from)), from.substr(folderOf(from).size()), m_numbers.at(folderOf(to)),
            to.substr(folderOf(to).size()), step.identity, step.isFolder, step.crossDevice, step.replaceAllowed,
            step.journalLine};
  }

  const RunRecord& m_record;
  std::vector<std::string_view> m_folders;
  std::unordered_map<std::string_view, std::uint32_t> m_numbers;
};

void appendHeader(std::string& text, const RunRecord& record) {
  text += kFirstLine;
  text += "id\t";
  appendEscaped(text, record.id);
  text += "\norigin\t";
  appendEscaped(text, record.origin);
  text += record.kind == RunKind::Undo ? "\nkind\tundo\njournal\t" : "\nkind\trename\njournal\t";
  appendEscaped(text, record.journal);
  text += "\njournal-size\t";
  appendNumber(text, record.journalSize);
  text += '\n';
}

// The text of a record, handed to `sink` in pieces of about `piece` bytes as they fill, or kept
// whole without a sink. A record of 100,000 steps is some 20 MB: written through one small
// buffer it costs no fresh memory, and the CRC is kept as the pieces go.
class RecordBuilder {
 public:
  using Sink = std::function<bool(std::string_view)>;

  RecordBuilder(Sink sink, std::size_t piece) : m_sink(std::move(sink)), m_piece(piece) {}

  // `temporaryOf(k)`: the temporary to write out for step k, empty for the reserved one.
  bool build(const RunRecord& header, const StepSource& steps,
             const std::function<std::string_view(std::size_t)>& temporaryOf = {}) {
    appendHeader(m_text, header);
    for (std::string_view folder : steps.folders) {
      m_text += "folder\t";
      appendEscaped(m_text, folder);
      m_text += '\n';
    }
    for (std::size_t k = 0; k < steps.count; ++k) {
      appendStepLine(m_text, steps.step(k), temporaryOf ? temporaryOf(k) : std::string_view{});
      if (m_text.size() >= m_piece && !handOn()) return false;
    }
    m_crc = platform::crc32Update(m_crc, m_text);
    m_text += "end\t";
    appendNumber(m_text, steps.count);
    m_text += '\t';
    appendHex8(m_text, ~m_crc);
    m_text += '\n';
    for (std::size_t k = 0; k < header.steps.size(); ++k)
      if (header.steps[k].copied.known()) m_text += copiedLine(k, header.steps[k].copied);
    return !m_sink || m_sink(m_text);
  }

  bool build(const RunRecord& record) {
    const RecordSteps steps(record);
    return build(record, steps.source(), [&steps](std::size_t k) { return steps.temporaryOf(k); });
  }

  std::string& text() { return m_text; }

 private:
  bool handOn() {
    if (!m_sink) return true;
    m_crc = platform::crc32Update(m_crc, m_text);
    if (!m_sink(m_text)) return false;
    m_text.clear();
    return true;
  }

  Sink m_sink;
  std::size_t m_piece;
  std::string m_text;
  std::uint32_t m_crc = platform::kCrc32Start;
};

// Writes a record through one small buffer, then flushes the file and its folder.
bool writeRecordFile(int descriptor, const std::filesystem::path& path, std::string& lastError,
                     const std::function<bool(RecordBuilder&)>& build) {
  constexpr std::size_t kPiece = 1 << 20;
  RecordBuilder builder([descriptor](std::string_view piece) { return writeAll(descriptor, piece); }, kPiece);
  builder.text().reserve(kPiece + 64 * 1024);
  if (!build(builder) || ::fsync(descriptor) != 0 || !syncFolder(path.parent_path())) {
    lastError = systemReason(errno);
    return false;
  }
  return true;
}

std::string scratchPath(const RunRecord& record, std::size_t step, std::string_view folder, std::string_view kind) {
  std::string path = temporaryPathFor(record.id, step, folder);
  path += kind;
  return path;
}

}  // namespace

std::string temporaryPathFor(std::string_view id, std::size_t step, std::string_view folder) {
  std::string path;
  path.reserve(folder.size() + kTemporaryPrefix.size() + id.size() + 12);
  path.append(folder).append(kTemporaryPrefix).append(id) += '-';
  appendNumber(path, step);
  return path;
}

std::string scratchCopyPath(const RunRecord& record, std::size_t step, std::string_view folder) {
  return scratchPath(record, step, folder, "-copy");
}

std::string scratchAsidePath(const RunRecord& record, std::size_t step, std::string_view folder) {
  return scratchPath(record, step, folder, "-aside");
}

// Lower-case letters only, so that two ids never fold to the same name on a folder that
// ignores case. The time comes first and has a fixed width, so that names sort oldest first;
// the process id has a fixed width so that it cannot run into the counter.
std::string newRunId() {
  static std::atomic<std::uint64_t> counter{0};
  constexpr std::size_t kTimeWidth = 7;  // seconds since 1970, enough for 2.5 millennia
  constexpr std::size_t kPidWidth = 5;   // the kernel's pid_max is at most 2^22
  const auto now = static_cast<std::uint64_t>(std::time(nullptr));
  return base36(now, kTimeWidth) + base36(static_cast<std::uint64_t>(::getpid()), kPidWidth) +
         base36(counter.fetch_add(1), 1);
}

std::string runRecordText(const RunRecord& record) {
  std::size_t estimate = 256 + record.journal.size();
  for (const RunStep& step : record.steps) estimate += step.from.size() + step.to.size() + 48;
  RecordBuilder builder({}, SIZE_MAX);
  builder.text().reserve(estimate);
  builder.build(record);
  return std::move(builder.text());
}

std::string copiedLine(std::size_t step, const FileIdentity& copy) {
  std::string line = "copied\t";
  appendNumber(line, step);
  line += '\t';
  appendIdentity(line, copy);
  line += '\t';
  appendHex8(line, crc32(line));
  line += '\n';
  return line;
}

ParsedRunRecord parseRunRecord(std::string_view text) {
  ParsedRunRecord parsed;
  if (!text.starts_with(kFirstLine)) {
    parsed.state = isUnwrittenStart(text) ? RecordState::CutOff : RecordState::Unreadable;
    return parsed;
  }
  const std::optional<EndLine> end = checkedEndLine(text);
  if (!end) {
    parsed.state = RecordState::CutOff;
    return parsed;
  }
  if (!parseBody(text.substr(0, end->bodySize), end->stepCount, parsed.record)) {
    parsed.record = {};
    return parsed;
  }
  parsed.state = RecordState::Complete;
  for (std::size_t at = end->next; at < text.size();) {
    const std::optional<std::string_view> line = takeLine(text, at);
    if (!line) {  // a copied line cut off while it was appended
      ++parsed.ignoredLines;
      break;
    }
    if (!applyCopiedLine(*line, parsed.record)) ++parsed.ignoredLines;
  }
  return parsed;
}

// --- The writer ---

std::unique_ptr<RunRecordWriter> RunRecordWriter::create(const std::filesystem::path& dataFolder,
                                                         const std::string& id, std::string& error) {
  const std::string name = std::string(kRecordPrefix) + id;
  const std::filesystem::path staging = dataFolder / (name + std::string(kStagingSuffix));
  const std::filesystem::path path = dataFolder / (name + std::string(kRecordSuffix));
  const int descriptor = ::open(staging.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (descriptor < 0) {
    error = systemReason(errno);
    return nullptr;
  }
  if (::flock(descriptor, LOCK_EX) != 0 ||
      ::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
    error = systemReason(errno);
    ::unlink(staging.c_str());
    ::close(descriptor);
    return nullptr;
  }
  return std::unique_ptr<RunRecordWriter>(new RunRecordWriter(path, descriptor));
}

RunRecordWriter::~RunRecordWriter() {
  if (m_descriptor >= 0) ::close(m_descriptor);
}

bool RunRecordWriter::write(const RunRecord& header, const StepSource& steps) {
  return writeRecordFile(m_descriptor, m_path, m_lastError, [&](RecordBuilder& builder) { return builder.build(header, steps); });
}

bool RunRecordWriter::write(const RunRecord& record) {
  return writeRecordFile(m_descriptor, m_path, m_lastError, [&](RecordBuilder& builder) { return builder.build(record); });
}

bool RunRecordWriter::noteCopied(std::size_t step, const FileIdentity& copy) {
  if (!writeAll(m_descriptor, copiedLine(step, copy)) || ::fsync(m_descriptor) != 0) {
    m_lastError = systemReason(errno);
    return false;
  }
  return true;
}

void RunRecordWriter::remove() {
  if (::unlink(m_path.c_str()) != 0 && errno != ENOENT) {
    m_lastError = systemReason(errno);
    return;
  }
  syncFolder(m_path.parent_path());
}

// --- Claiming ---

ClaimedRunRecord::~ClaimedRunRecord() {
  if (m_descriptor >= 0) ::close(m_descriptor);
}

void ClaimedRunRecord::remove() {
  ::unlink(m_path.c_str());
  syncFolder(m_path.parent_path());
}

std::unique_ptr<ClaimedRunRecord> claimUnfinishedRun(const std::filesystem::path& dataFolder) {
  std::optional<LockedRecord> locked = lockUnfinishedRun(dataFolder);
  if (!locked) return nullptr;
  std::optional<std::string> text = readAll(locked->descriptor);
  ParsedRunRecord contents = text ? parseRunRecord(*text) : ParsedRunRecord{};
  return std::unique_ptr<ClaimedRunRecord>(
      new ClaimedRunRecord(std::move(locked->path), locked->descriptor, std::move(contents)));
}

bool hasUnfinishedRun(const std::filesystem::path& dataFolder) {
  std::optional<LockedRecord> locked = lockUnfinishedRun(dataFolder);
  if (!locked) return false;
  ::close(locked->descriptor);
  return true;
}

}  // namespace namitra::rename
