// The identity of a file: the device and inode numbers the system gives it.
//
// Two paths name the same file exactly when their identities are equal, however they are
// spelled ("a" and "./a", "dir//a", a path through a symbolic link to a folder, "A.TXT" for
// "a.txt" on a folder that ignores case). The rename run decides what it may replace by
// identity, never by the text of a path. An identity with inode 0 is unknown: nothing is there,
// or it could not be learned; unknown identities are never equal to anything.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

struct stat;

namespace namitra::rename {

struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;

  bool known() const { return inode != 0; }
  bool sameFileAs(const FileIdentity& other) const { return known() && *this == other; }

  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct FileIdentityHash {
  std::size_t operator()(const FileIdentity& id) const {
    return std::hash<std::uint64_t>{}(id.inode * 0x9E3779B97F4A7C15ull ^ id.device);
  }
};

FileIdentity identityOf(const struct stat& info);

// The identity of the entry at `path` itself (a symbolic link is not followed); unknown when
// nothing is there.
FileIdentity identityAt(const std::string& path);

// "device:inode" in decimal, the form stored in run records and journals.
std::string identityText(const FileIdentity& id);
// nullopt unless `text` is exactly that form.
std::optional<FileIdentity> parseIdentity(std::string_view text);

inline std::ostream& operator<<(std::ostream& out, const FileIdentity& id) { return out << identityText(id); }

}  // namespace namitra::rename
