#include "platform/data_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/executable_folder.h"
#include "temp_folder.h"

namespace namitra::platform {
namespace {

TEST(ExecutableFolderTest, IsTheFolderOfThisProgramWithTrailingSlash) {
  const std::filesystem::path folder = ExecutableFolder();
  ASSERT_FALSE(folder.native().empty());
  EXPECT_EQ(folder.native().back(), '/');
  EXPECT_EQ(folder.native() + executablePath().filename().native(), executablePath().native());
  EXPECT_EQ(executablePath().filename(), "platform_data_folder_test");
}

// Tests run as root, for whom access(W_OK) is true for nearly every folder; the decision is
// therefore tested with the writability given.
TEST(DataFolderTest, ChoosesTheFolder) {
  struct Row {
    const char* name;
    DataFolderInputs inputs;
    std::string expected;
  };
  const Row rows[] = {
      {"portable: beside the executable", {"/opt/n/", true, "", "/x", "/home/u"}, "/opt/n/"},
      {"installed: XDG_CONFIG_HOME", {"/usr/bin/", false, "", "/x/cfg", "/home/u"}, "/x/cfg/namitra/"},
      {"installed: default ~/.config", {"/usr/bin/", false, "", "", "/home/u"}, "/home/u/.config/namitra/"},
      {"relative XDG_CONFIG_HOME ignored", {"/usr/bin/", false, "", "cfg", "/home/u"},
       "/home/u/.config/namitra/"},
      {"override wins", {"/usr/bin/", false, "/data", "/x", "/home/u"}, "/data/"},
      {"override with slash kept", {"/opt/n/", true, "/data/", "", ""}, "/data/"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(chooseDataFolder(row.inputs).native(), row.expected);
  }
}

TEST(DataFolderTest, HonoursTheOverrideAndCreatesTheFolder) {
  testing::TempFolder temp;
  const std::filesystem::path wanted = temp / "data" / "deeper";
  const char* before = std::getenv("NAMITRA_DATA_DIR");
  const std::string saved = before ? before : "";
  ::setenv("NAMITRA_DATA_DIR", wanted.c_str(), 1);
  const std::filesystem::path folder = dataFolder();
  if (before)
    ::setenv("NAMITRA_DATA_DIR", saved.c_str(), 1);
  else
    ::unsetenv("NAMITRA_DATA_DIR");
  EXPECT_EQ(folder.native(), wanted.native() + "/");
  EXPECT_TRUE(std::filesystem::is_directory(wanted));
}

TEST(DataFolderTest, FoldersBelowUsrAreSystemInstalls) {
  EXPECT_TRUE(isSystemInstallFolder("/usr/bin/"));
  EXPECT_TRUE(isSystemInstallFolder("/usr/local/bin/"));
  EXPECT_FALSE(isSystemInstallFolder("/home/u/usr/bin/"));
  EXPECT_FALSE(isSystemInstallFolder("/opt/namitra/"));
}

}  // namespace
}  // namespace namitra::platform
