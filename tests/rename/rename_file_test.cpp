#include "rename/rename_file.h"

#include "../platform/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace namitra::rename {
namespace {

using platform::testing::readBytes;
using platform::testing::TempFolder;
using platform::testing::writeBytes;

TEST(RenameFile, MovesAndRefusesAnExistingTargetUnlessAllowed) {
  TempFolder dir;
  writeBytes(dir / "a", "A");
  writeBytes(dir / "b", "B");
  RenameStatus refused = RenameFile(dir / "a", dir / "b", false);
  EXPECT_EQ(refused.error, EEXIST);
  EXPECT_FALSE(refused.reason().empty());
  EXPECT_EQ(readBytes(dir / "a"), "A");
  EXPECT_EQ(readBytes(dir / "b"), "B");

  EXPECT_TRUE(RenameFile(dir / "a", dir / "b", true).ok());
  EXPECT_FALSE(std::filesystem::exists(dir / "a"));
  EXPECT_EQ(readBytes(dir / "b"), "A");

  EXPECT_TRUE(RenameFile(dir / "b", dir / "c", false).ok());
  EXPECT_EQ(readBytes(dir / "c"), "A");
  EXPECT_EQ(RenameFile(dir / "gone", dir / "d", false).error, ENOENT);
}

TEST(RenameFile, MovesFoldersToo) {
  TempFolder dir;
  std::filesystem::create_directory(dir / "sub");
  writeBytes(dir / "sub" / "f", "F");
  EXPECT_TRUE(RenameFile(dir / "sub", dir / "moved", false).ok());
  EXPECT_EQ(readBytes(dir / "moved" / "f"), "F");
}

TEST(RenameFile, RefusesNamesPastThePlatformLimits) {
  TempFolder dir;
  writeBytes(dir / "a", "A");
  EXPECT_EQ(RenameFile(dir / "a", (dir / std::string(256, 'n')).string(), false).error, ENAMETOOLONG);
  std::string deep = dir.path().string();
  while (deep.size() < PATH_MAX) deep += "/x";
  EXPECT_EQ(RenameFile(dir / "a", deep, true).error, ENAMETOOLONG);
  EXPECT_EQ(readBytes(dir / "a"), "A");
  EXPECT_TRUE(RenameFile(dir / "a", (dir / std::string(255, 'n')).string(), false).ok());
}

// A path with a NUL byte would reach the system cut short at the NUL: "b\0c" would rename to "b".
TEST(RenameFile, RefusesANulByteInAnyPathItIsGiven) {
  TempFolder dir;
  writeBytes(dir / "a", "A");
  const std::string a = (dir / "a").string();
  const std::string b = (dir / "b").string();
  const std::string nul("\0c", 2);
  const MoveScratch fine{(dir / ".copy").string(), (dir / ".aside").string(), {}};
  const MoveScratch nulCopy{fine.copyPath + nul, fine.asidePath, {}};
  const MoveScratch nulAside{fine.copyPath, fine.asidePath + nul, {}};
  const MoveScratch longCopy{(dir / std::string(256, 'c')).string(), fine.asidePath, {}};
  struct Case {
    const char* name;
    std::string from, to;
    const MoveScratch* scratch;
    int error;
  };
  for (const Case& refused : {Case{"from", a + nul, b, nullptr, EINVAL}, Case{"to", a, b + nul, nullptr, EINVAL},
                              Case{"copy", a, b, &nulCopy, EINVAL}, Case{"aside", a, b, &nulAside, EINVAL},
                              Case{"long copy name", a, b, &longCopy, ENAMETOOLONG}}) {
    SCOPED_TRACE(refused.name);
    for (const bool replace : {false, true})
      EXPECT_EQ(RenameFile(refused.from, refused.to, replace, refused.scratch).error, refused.error);
  }
  EXPECT_EQ(readBytes(dir / "a"), "A");
  EXPECT_FALSE(std::filesystem::exists(dir / "b"));
  EXPECT_TRUE(RenameFile(a, b, false, &fine).ok());
}

// rename(2) does nothing for two links to one inode; the caller decides about that case, and
// RenameFile must neither lose a link nor report a refusal that did not happen.
TEST(RenameFile, AHardLinkOfTheSourceAtTheTargetIsLeftToRename) {
  TempFolder dir;
  writeBytes(dir / "a", "A");
  std::filesystem::create_hard_link(dir / "a", dir / "b");
  EXPECT_EQ(RenameFile(dir / "a", dir / "b", false).error, EEXIST);
  EXPECT_TRUE(RenameFile(dir / "a", dir / "b", true).ok());
  EXPECT_EQ(readBytes(dir / "a"), "A");
  EXPECT_EQ(readBytes(dir / "b"), "A");
  EXPECT_EQ(identityAt((dir / "a").string()), identityAt((dir / "b").string()));
}

// /dev/shm is a tmpfs; the test folder's file system is usually another one.
class CrossDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    struct stat here {}, there {};
    if (::stat(m_here.path().c_str(), &here) != 0 || ::stat("/dev/shm", &there) != 0 ||
        here.st_dev == there.st_dev)
      GTEST_SKIP() << "no second file system at /dev/shm";
    std::string pattern = "/dev/shm/namitra-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_there = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    if (!m_there.empty()) std::filesystem::remove_all(m_there, ignored);
  }
  TempFolder m_here;
  std::filesystem::path m_there;
};

TEST_F(CrossDevice, CopiesContentAndModeThenDeletesTheSource) {
  writeBytes(m_here / "a", std::string(200000, 'x') + "end");
  ::chmod((m_here / "a").c_str(), 0640);
  ASSERT_TRUE(RenameFile(m_here / "a", m_there / "a", false).ok());
  EXPECT_FALSE(std::filesystem::exists(m_here / "a"));
  EXPECT_EQ(readBytes(m_there / "a"), std::string(200000, 'x') + "end");
  struct stat info {};
  ::stat((m_there / "a").c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(CrossDevice, NeverReplacesUnlessAllowed) {
  writeBytes(m_here / "a", "A");
  writeBytes(m_there / "a", "old");
  EXPECT_EQ(RenameFile(m_here / "a", m_there / "a", false).error, EEXIST);
  EXPECT_EQ(readBytes(m_here / "a"), "A");
  EXPECT_EQ(readBytes(m_there / "a"), "old");

  ASSERT_TRUE(RenameFile(m_here / "a", m_there / "a", true).ok());
  EXPECT_EQ(readBytes(m_there / "a"), "A");
  EXPECT_FALSE(std::filesystem::exists(m_here / "a"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_there), {}), 1) << "no copy left beside";
}

TEST_F(CrossDevice, RefusesToCopyAFolder) {
  std::filesystem::create_directory(m_here / "sub");
  EXPECT_EQ(RenameFile(m_here / "sub", m_there / "sub", false).error, EXDEV);
  EXPECT_TRUE(std::filesystem::is_directory(m_here / "sub"));
}

}  // namespace
}  // namespace namitra::rename
