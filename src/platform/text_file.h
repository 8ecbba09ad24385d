// Whole-file reading and writing of the stored files, and their split into lines.
//
// A stored file is always read and written whole. Writing goes to a new file in the same folder
// that is then renamed over the old one, so a full disk or a crash leaves either the old file
// or the new one, never a cut one. A file without write permission is refused, as a direct
// write would refuse it. The new file gets the permission bits of the file it
// replaces (or those of the umask for a new file); a symbolic link is written through to its
// target. Bytes are never interpreted: the files hold code page 932 text as it is.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::platform {

// How much of a stored file of the program (settings, list, rule and macro files) is read at
// most. Such files hold a few kilobytes; a larger one is refused rather than turned into
// millions of rows (a file of nothing but line breaks would take dozens of times its size in
// memory). Reading with a limit also refuses anything at the path that is no regular file (a
// named pipe would block, a device such as /dev/zero never ends).
inline constexpr std::size_t kStoredFileSizeLimit = 8 * 1024 * 1024;
inline constexpr std::size_t kNoSizeLimit = static_cast<std::size_t>(-1);

// The file's bytes; nullopt when nothing is there or it is a folder. Throws StoredFileError when
// the file exists but cannot be read, and, with a `sizeLimit`, when it is larger than that
// ("File too large") or no regular file.
std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t sizeLimit = kNoSizeLimit);

// Like readWholeFile, but a folder at the path is an error (StoredFileError) rather than
// "nothing there": for files the user picked by name, such as a rule file listed in a folder.
std::optional<std::string> readWholeFileStrict(const std::filesystem::path& path,
                                               std::size_t sizeLimit = kNoSizeLimit);

// Replaces the file's content (creating it) atomically. Throws StoredFileError on failure, and
// then the old content is still there.
void writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

// Writes all of `bytes` to the open file `fd`, going on after short writes and EINTR; false
// (with errno set) when a write fails.
bool writeAll(int fd, std::string_view bytes);

// The lines of a text: CR LF, a lone CR and a lone LF each end a line; a final line without a
// line end is a line; a final line end adds no empty line. With `stopAtNul`, a NUL byte ends
// the text. The lines hold no line-end bytes.
std::vector<std::string> splitLines(std::string_view text, bool stopAtNul);

// Every line followed by CR LF, the last one included.
std::string joinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace namitra::platform
