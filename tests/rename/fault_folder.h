// Real faults on real folders, for the rename tests of the core and of namitra-cli.
//
// The tests run as root on the build machines, so permissions alone cannot refuse a rename.
// What even root cannot get past is used instead: the immutable attribute (an immutable file
// cannot be renamed, nothing in an immutable folder can be created, renamed or removed), a
// read-only bind mount, and a small tmpfs that runs out of space. Each helper says why when it
// cannot make its fault here, so that the test can skip with that message. Guards undo their
// fault when they end, before the temporary folder is removed.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace namitra::rename::testing {

namespace detail {

inline std::string failure(const std::string& what) { return what + ": " + std::strerror(errno); }

// Sets or clears FS_IMMUTABLE_FL; empty on success, else the reason.
inline std::string setImmutable(const std::filesystem::path& path, bool on) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return failure("open " + path.string());
  int flags = 0;
  std::string reason;
  if (::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) != 0) {
    reason = failure("reading the attributes of " + path.string());
  } else {
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    if (::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) != 0)
      reason = failure("making " + path.string() + (on ? " immutable" : " mutable"));
  }
  ::close(descriptor);
  return reason;
}

}  // namespace detail

// Makes a file or folder immutable for the guard's lifetime.
class Immutable {
 public:
  explicit Immutable(std::filesystem::path path) : m_path(std::move(path)) {
    m_problem = detail::setImmutable(m_path, true);
  }
  ~Immutable() {
    if (m_problem.empty()) detail::setImmutable(m_path, false);
  }
  Immutable(const Immutable&) = delete;
  Immutable& operator=(const Immutable&) = delete;

  // Empty when the fault is in place, else why it could not be made.
  const std::string& problem() const { return m_problem; }

 private:
  std::filesystem::path m_path;
  std::string m_problem;
};

// A mount on a folder of the test, unmounted when the guard ends.
class Mount {
 public:
  // A tmpfs of `bytes` at `folder` (which must exist).
  static Mount tmpfs(const std::filesystem::path& folder, std::size_t bytes) {
    Mount mount(folder);
    const std::string options = "size=" + std::to_string(bytes);
    if (::mount("namitra-test", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
      mount.m_problem = detail::failure("mounting a tmpfs on " + folder.string());
    return mount;
  }
  // `folder` mounted over itself, read only.
  static Mount readOnly(const std::filesystem::path& folder) {
    Mount mount(folder);
    if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) {
      mount.m_problem = detail::failure("bind-mounting " + folder.string());
    } else if (::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
      mount.m_problem = detail::failure("remounting " + folder.string() + " read only");
      ::umount2(folder.c_str(), MNT_DETACH);
    }
    return mount;
  }

  Mount(Mount&& other) noexcept : m_folder(std::move(other.m_folder)), m_problem(std::move(other.m_problem)) {
    other.m_problem = "moved";
  }
  ~Mount() {
    if (m_problem.empty()) ::umount2(m_folder.c_str(), MNT_DETACH);
  }
  Mount(const Mount&) = delete;
  Mount& operator=(const Mount&) = delete;

  const std::string& problem() const { return m_problem; }

 private:
  explicit Mount(std::filesystem::path folder) : m_folder(std::move(folder)) {}

  std::filesystem::path m_folder;
  std::string m_problem;
};

// Every file below `folder` by its path relative to it, with its content; folders as "<dir>".
inline std::map<std::string, std::string> contentsBelow(const std::filesystem::path& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string name = std::filesystem::relative(entry.path(), folder).string();
    if (entry.is_directory()) {
      contents[name] = "<dir>";
      continue;
    }
    std::ifstream in(entry.path(), std::ios::binary);
    contents[name] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return contents;
}

}  // namespace namitra::rename::testing
