// The journal of --execute and --undo: one line per successful rename.
//
// A line is FROM<TAB>TO<TAB>DEV:INO<TAB>CRC and a line feed. FROM and TO are the full paths
// before and after the rename in the bytes the file system has for them (UTF-8 for every name
// that is text), with "\", tab, line feed and carriage return written as "\\", "\t", "\n" and
// "\r", so that any name fits on one line. DEV:INO is the identity of the file the rename moved,
// as it is at TO: --undo moves a file back only while that file is still there, so a line can
// never move another file. CRC is the CRC-32 (cli/crc32.h) of every byte of the line before its
// last tab, as 8 lowercase hexadecimal digits.
//
// Lines are appended as each rename succeeds, each with one write to a file opened for
// appending, so a run that is stopped half way leaves a journal of exactly the renames it made;
// the newest line is the last. A write cut short (a full file system, a kill) leaves a line
// without its line feed or with a checksum that does not match. So a line counts only when it is
// complete: ended by its line feed, its checksum matching, its fields well formed. Reading never
// refuses a journal as a whole: the complete lines are its renames, every other non-empty line
// (cut short, changed, or an older journal's FROM<TAB>TO) is listed with the reason it is
// ignored and stays in the file as it is. Empty lines hold nothing and stay too.
#pragma once

#include "rename/file_identity.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::cli {

// The whole line, its line feed included.
std::string journalLine(std::string_view nativeFrom, std::string_view nativeTo, const rename::FileIdentity& identity);

// Appends lines to a journal file, creating it. Not copyable: it owns the open file.
class JournalWriter {
 public:
  // nullopt with `error` set (the system's reason) when the file cannot be opened for appending.
  // A journal whose last line was cut short gets a line feed first, so that the lines appended
  // after it stand on their own; the cut line itself stays unusable, or, when nothing but its
  // line feed was missing, becomes the complete line its checksum says it is.
  static std::optional<JournalWriter> open(const std::filesystem::path& path, std::string& error);

  JournalWriter(JournalWriter&& other) noexcept;
  JournalWriter& operator=(JournalWriter&& other) noexcept;
  JournalWriter(const JournalWriter&) = delete;
  ~JournalWriter();

  // Writes one line at once; false (with the reason kept in `lastError`) when the write failed.
  bool append(std::string_view nativeFrom, std::string_view nativeTo, const rename::FileIdentity& identity);
  const std::string& lastError() const { return m_lastError; }
  // The journal's size in bytes when it was opened (after a line feed added by open).
  std::uint64_t sizeWhenOpened() const { return m_sizeWhenOpened; }
  // Whether the entry at `nativePath` (not followed if it is a link) is the journal file itself.
  bool isFileAt(const std::string& nativePath) const;

 private:
  JournalWriter(int descriptor, std::uint64_t size) : m_descriptor(descriptor), m_sizeWhenOpened(size) {}

  int m_descriptor = -1;
  std::uint64_t m_sizeWhenOpened = 0;
  std::string m_lastError;
};

struct JournalEntry {
  std::size_t line = 0;  // index into JournalContents::lines
  std::string from;      // native full paths
  std::string to;
  rename::FileIdentity identity;  // known for every entry
};

struct IgnoredLine {
  std::size_t line = 0;  // index into JournalContents::lines
  std::string why;       // plain English
};

struct JournalContents {
  std::vector<std::string> lines;     // every line exactly as read, with its line feed if it has one
  std::vector<JournalEntry> entries;  // the complete lines, oldest first
  std::vector<IgnoredLine> ignored;   // the other non-empty lines, in file order
};

JournalContents parseJournal(std::string_view text);

// The lines whose flag in `drop` is not set, each exactly as it was read.
std::string journalTextWithout(const JournalContents& contents, const std::vector<bool>& drop);

}  // namespace namitra::cli
