// The run record: a run's intent, written to the data folder before its first rename, so that
// a run cut off by a crash, a kill or a power cut can be finished or rolled back.
//
// Every run that renames (the window's rename run and its undo, namitra-cli --execute and
// --undo) writes the record of all its steps in the order it will carry them out: for each
// file its native paths before and after, the temporary name reserved for it, and the identity
// of the file at its source. The whole record is made durable once per run (the file and its
// folder flushed), not once per rename. A step between two file systems adds one line when its
// copy is complete and flushed, naming the copy's identity. With the record and the disk,
// recovery (rename/run_recovery.h) learns where each file is: at its old path, at its
// temporary, at its new path, or for a copy half way, which of the copy's scratch files exist.
//
// The file is text, one field per tab, paths in the disk's bytes with "\\", tab, line feed and
// carriage return escaped as "\\\\", "\\t", "\\n" and "\\r" (platform/sealed_line.h). Each
// folder is written once and steps name their folders by number, so that a record of 100,000
// // steps in one folder is a few megabytes, written without a string per step. The header, folder
// and step lines end with a line "end" carrying the step count and a CRC-32 of everything before
// it: a record without a valid end line was cut off while being written, before any rename, and
// is simply deleted.
// Each "copied" line after it carries a CRC-32 of its own; a damaged one is ignored.
//
// A running process holds an exclusive lock (flock) on its record for as long as the run
// lasts; a record nobody holds is unfinished. Another process (a second window, namitra-cli)
// therefore never takes a running record for an unfinished one, and two recoveries never act
// on the same record.
#pragma once

#include "rename/file_identity.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::rename {

enum class RunKind { Rename, Undo };

struct RunStep {
  std::string from;        // native absolute paths
  std::string to;
  std::string temporary;   // reserved for this step, in the folder of `from`
  FileIdentity identity;   // of the file at `from` when the run began
  bool isFolder = false;
  bool crossDevice = false;     // `from` and the folder of `to` are on different file systems
  bool replaceAllowed = false;  // an existing file at `to` (no step's source) may be replaced
  FileIdentity copied;          // from a "copied" line: the complete copy of a cross-device step
  std::int64_t journalLine = -1;  // namitra-cli --undo: the journal line (0-based) it reverses
};

struct RunRecord {
  std::string id;                 // names the temporaries; letters and digits only
  std::string origin;             // "window" or "cli"
  RunKind kind = RunKind::Rename;
  std::string journal;            // native path of namitra-cli's journal; empty when none
  std::uint64_t journalSize = 0;  // the journal's size before the run
  std::vector<RunStep> steps;     // in the order they are carried out
};

// The names a step's file may be found under besides `from`, `temporary` and `to`: the copy
// and the replaced target of a cross-device move, both in `folder` (with its trailing "/"),
// which is the folder of the path the move goes to.
std::string scratchCopyPath(const RunRecord& record, std::size_t step, std::string_view folder);
std::string scratchAsidePath(const RunRecord& record, std::size_t step, std::string_view folder);
// The reserved temporary of step `step`: ".namitra-ID-STEP" in `folder`.
std::string temporaryPathFor(std::string_view id, std::size_t step, std::string_view folder);

// A new run id: unique among the runs of this machine (process id, time and a counter).
std::string newRunId();

// One step as a run hands it to the writer: its paths as folder numbers (into the folders given
// with it) and names. Its temporary is the reserved one.
struct StepLine {
  std::uint32_t fromFolder = 0;
  std::string_view fromName;
  std::uint32_t toFolder = 0;
  std::string_view toName;
  FileIdentity identity;
  bool isFolder = false;
  bool crossDevice = false;
  bool replaceAllowed = false;
  std::int64_t journalLine = -1;
};

// The steps of a run as the writer reads them, one by one.
struct StepSource {
  std::vector<std::string_view> folders;  // native paths with their trailing "/"
  std::size_t count = 0;
  std::function<StepLine(std::size_t step)> step;
};

// The record file of a running process, locked while it lives.
class RunRecordWriter {
 public:
  // Creates "<dataFolder>/run-<id>.record", locked; nullptr with `error` (the system's reason)
  // when it cannot be created.
  static std::unique_ptr<RunRecordWriter> create(const std::filesystem::path& dataFolder, const std::string& id,
                                                 std::string& error);
  ~RunRecordWriter();  // releases the lock; the file stays unless remove() was called
  RunRecordWriter(const RunRecordWriter&) = delete;
  RunRecordWriter& operator=(const RunRecordWriter&) = delete;

  // Writes the whole record and makes it durable (file and folder flushed). Call once, before
  // the first rename; false with `lastError` set when it could not be written, and then no
  // rename may be made. The first form takes the steps from `steps`, the header from `header`
  // (its steps are not looked at); the second takes everything from `record`.
  bool write(const RunRecord& header, const StepSource& steps);
  bool write(const RunRecord& record);
  // Appends the "copied" line of step `step` and flushes it; false when it could not be.
  bool noteCopied(std::size_t step, const FileIdentity& copy);
  // Deletes the record: the run is over, and its history or journal says what it did.
  void remove();

  const std::string& lastError() const { return m_lastError; }
  const std::filesystem::path& path() const { return m_path; }

 private:
  RunRecordWriter(std::filesystem::path path, int descriptor) : m_path(std::move(path)), m_descriptor(descriptor) {}

  std::filesystem::path m_path;
  int m_descriptor = -1;
  std::string m_lastError;
};

// The text of a record as the writer writes it, without and with "copied" lines.
std::string runRecordText(const RunRecord& record);
std::string copiedLine(std::size_t step, const FileIdentity& copy);

enum class RecordState {
  Complete,    // the record as written, with the copied lines that were intact
  CutOff,      // no valid end line: the run made no rename; the record may simply be removed
  Unreadable,  // not a run record, or not readable
};

struct ParsedRunRecord {
  RecordState state = RecordState::Unreadable;
  RunRecord record;
  std::size_t ignoredLines = 0;  // damaged "copied" lines
};

ParsedRunRecord parseRunRecord(std::string_view text);

// An unfinished record, locked by this process while the object lives.
class ClaimedRunRecord {
 public:
  ~ClaimedRunRecord();
  ClaimedRunRecord(const ClaimedRunRecord&) = delete;
  ClaimedRunRecord& operator=(const ClaimedRunRecord&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  const ParsedRunRecord& contents() const { return m_contents; }
  // Deletes the record (and flushes its folder): the run has been finished or rolled back.
  void remove();

 private:
  friend std::unique_ptr<ClaimedRunRecord> claimUnfinishedRun(const std::filesystem::path& dataFolder);
  ClaimedRunRecord(std::filesystem::path path, int descriptor, ParsedRunRecord contents)
      : m_path(std::move(path)), m_descriptor(descriptor), m_contents(std::move(contents)) {}

  std::filesystem::path m_path;
  int m_descriptor = -1;
  ParsedRunRecord m_contents;
};

// The oldest unfinished record of the data folder, claimed; nullptr when there is none (a
// record whose process still runs is not unfinished).
std::unique_ptr<ClaimedRunRecord> claimUnfinishedRun(const std::filesystem::path& dataFolder);

// Whether the data folder holds an unfinished record (without claiming it).
bool hasUnfinishedRun(const std::filesystem::path& dataFolder);

}  // namespace namitra::rename
