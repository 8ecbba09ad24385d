// The journal of --execute and --undo: one line per successful rename.
//
// A line is the full path before the rename, a tab, the full path after it and a line feed,
// both paths in the bytes the file system has for them (UTF-8 for every name that is text), so
// that the file reads as text and the paths are exactly those on disk. Lines are appended as
// each rename succeeds, each with one write to a file opened for appending, so a run that is
// stopped half way leaves a journal of exactly the renames it made. The newest line is the last.
//
// Reading takes LF, CR LF or a lone CR as line ends; an empty line is kept but holds no rename;
// any other line must hold exactly one tab between two non-empty paths.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::cli {

std::string journalLine(std::string_view nativeFrom, std::string_view nativeTo);

// Appends lines to a journal file, creating it. Not copyable: it owns the open file.
class JournalWriter {
 public:
  // nullopt with `error` set (the system's reason) when the file cannot be opened for appending.
  static std::optional<JournalWriter> open(const std::filesystem::path& path, std::string& error);

  JournalWriter(JournalWriter&& other) noexcept;
  JournalWriter& operator=(JournalWriter&& other) noexcept;
  JournalWriter(const JournalWriter&) = delete;
  ~JournalWriter();

  // Writes one line at once; false (with the reason kept in `lastError`) when the write failed.
  bool append(std::string_view nativeFrom, std::string_view nativeTo);
  const std::string& lastError() const { return m_lastError; }
  // Whether the entry at `nativePath` (not followed if it is a link) is the journal file itself.
  bool isFileAt(const std::string& nativePath) const;

 private:
  explicit JournalWriter(int descriptor) : m_descriptor(descriptor) {}

  int m_descriptor = -1;
  std::string m_lastError;
};

struct JournalEntry {
  std::size_t line = 0;  // index into JournalContents::lines
  std::string from;      // native full paths
  std::string to;
};

struct JournalContents {
  std::vector<std::string> lines;  // every line as read, without its line end
  std::vector<JournalEntry> entries;  // the renames, oldest first
};

struct ParsedJournal {
  std::optional<JournalContents> contents;
  std::size_t badLine = 0;  // 1-based number of the first malformed line when contents is nullopt
};

ParsedJournal parseJournal(std::string_view text);

// The lines whose flag in `drop` is not set, each followed by a line feed.
std::string journalTextWithout(const JournalContents& contents, const std::vector<bool>& drop);

}  // namespace namitra::cli
