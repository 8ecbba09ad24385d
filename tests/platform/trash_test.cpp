#include "platform/trash.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace namitra::platform {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

// A home trash inside the test's folder, on the same file system as the files it trashes.
class TrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_DATA_HOME");
    m_oldDataHome = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("XDG_DATA_HOME", (m_folder / "share").c_str(), 1);
  }
  void TearDown() override {
    if (m_oldDataHome) ::setenv("XDG_DATA_HOME", m_oldDataHome->c_str(), 1);
    else ::unsetenv("XDG_DATA_HOME");
  }
  std::filesystem::path trash() const { return m_folder / "share" / "Trash"; }

  TempFolder m_folder;
  std::optional<std::string> m_oldDataHome;
};

TEST_F(TrashTest, FileMovesIntoTheHomeTrashWithItsInformation) {
  writeBytes(m_folder / "a b.rl", "x=y\r\n");
  ASSERT_TRUE(moveToTrash(m_folder / "a b.rl"));
  EXPECT_FALSE(std::filesystem::exists(m_folder / "a b.rl"));
  EXPECT_EQ(readBytes(trash() / "files" / "a b.rl"), "x=y\r\n");
  const std::string info = readBytes(trash() / "info" / "a b.rl.trashinfo");
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u);
  EXPECT_NE(info.find("a%20b.rl\nDeletionDate="), std::string::npos);
}

TEST_F(TrashTest, SecondFileOfTheSameNameGetsANumber) {
  writeBytes(m_folder / "a.rl", "1");
  ASSERT_TRUE(moveToTrash(m_folder / "a.rl"));
  writeBytes(m_folder / "a.rl", "2");
  ASSERT_TRUE(moveToTrash(m_folder / "a.rl"));
  EXPECT_EQ(readBytes(trash() / "files" / "a.rl"), "1");
  EXPECT_EQ(readBytes(trash() / "files" / "a.rl.2"), "2");
  EXPECT_TRUE(std::filesystem::exists(trash() / "info" / "a.rl.2.trashinfo"));
}

TEST_F(TrashTest, FoldersAndMissingFilesStayPut) {
  std::filesystem::create_directory(m_folder / "dir.rl");
  EXPECT_FALSE(moveToTrash(m_folder / "dir.rl"));
  EXPECT_TRUE(std::filesystem::is_directory(m_folder / "dir.rl"));
  EXPECT_FALSE(moveToTrash(m_folder / "none.rl"));
}

}  // namespace
}  // namespace namitra::platform
