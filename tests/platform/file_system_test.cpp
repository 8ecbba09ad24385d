#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "temp_folder.h"

namespace namitra::platform {
namespace {

using testing::TempFolder;
using testing::writeBytes;

TEST(PlatformFileSystemTest, ExistenceOfFilesFoldersAndLinks) {
  TempFolder folder;
  writeBytes(folder / "file.txt", "x");
  std::filesystem::create_directory(folder / "sub.rl");
  std::filesystem::create_symlink("nowhere", folder / "dangling");
  std::filesystem::create_symlink("sub.rl", folder / "to-folder");

  EXPECT_TRUE(fileExists(folder / "file.txt"));
  EXPECT_FALSE(fileExists(folder / "sub.rl")) << "a folder is not a file";
  EXPECT_FALSE(fileExists(folder / "missing"));
  EXPECT_TRUE(fileExists(folder / "dangling")) << "the link itself is an entry";
  EXPECT_TRUE(fileExists(folder / "to-folder")) << "a rename would move the link, not the folder";

  EXPECT_TRUE(pathExists(folder / "sub.rl"));
  EXPECT_TRUE(pathExists(folder / "dangling"));
  EXPECT_FALSE(pathExists(folder / "missing"));
  EXPECT_FALSE(fileExists(folder / "file.txt" / "below")) << "below a file";
}

TEST(PlatformFileSystemTest, StoredNameOnAnExactMatchFileSystem) {
  TempFolder folder;
  writeBytes(folder / "Photo.JPG", "x");
  writeBytes(folder / "caf\xC3\xA9", "x");
  EXPECT_EQ(storedName(folder.path(), "Photo.JPG"), "Photo.JPG");
  EXPECT_EQ(storedName(folder.path(), "caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(storedName(folder.path(), "photo.jpg"), std::nullopt) << "no such entry here";
  EXPECT_EQ(storedName(folder.path(), ""), std::nullopt);
}

TEST(PlatformFileSystemTest, ListEntriesMatchingAPattern) {
  TempFolder folder;
  for (const char* name : {"a.rl", "B.RL", ".hidden.rl", "c.rlx", "d.rl.bak", "rl"}) writeBytes(folder / name, "");
  std::filesystem::create_directory(folder / "dir.rl");
  std::vector<std::string> names = listEntries(folder.path(), "*.rl");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".hidden.rl", "B.RL", "a.rl", "dir.rl"}));
  EXPECT_TRUE(listEntries(folder / "missing", "*.rl").empty());
}

}  // namespace
}  // namespace namitra::platform
