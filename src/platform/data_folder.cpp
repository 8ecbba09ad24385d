#include "platform/data_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "platform/executable_folder.h"

namespace namitra::platform {

namespace {

std::filesystem::path withTrailingSlash(std::filesystem::path folder) {
  if (!folder.native().empty() && folder.native().back() == '/') return folder;
  return folder / "";
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string homeFolder() {
  std::string home = environment("HOME");
  if (!home.empty()) return home;
  const passwd* entry = getpwuid(getuid());
  return entry && entry->pw_dir ? std::string(entry->pw_dir) : std::string("/");
}

}  // namespace

bool isSystemInstallFolder(const std::filesystem::path& folder) {
  return folder.string().starts_with("/usr/");
}

std::filesystem::path chooseDataFolder(const DataFolderInputs& inputs) {
  if (!inputs.dataDirOverride.empty()) return withTrailingSlash(inputs.dataDirOverride);
  if (inputs.executableFolderWritable) return withTrailingSlash(inputs.executableFolder);
  const std::filesystem::path xdg(inputs.xdgConfigHome);
  const std::filesystem::path config =
      xdg.is_absolute() ? xdg : std::filesystem::path(inputs.home) / ".config";
  return config / "namitra" / "";
}

std::filesystem::path dataFolder() {
  DataFolderInputs inputs;
  inputs.executableFolder = ExecutableFolder();
  inputs.executableFolderWritable = access(inputs.executableFolder.c_str(), W_OK) == 0 &&
                                    !isSystemInstallFolder(inputs.executableFolder);
  inputs.dataDirOverride = environment("NAMITRA_DATA_DIR");
  inputs.xdgConfigHome = environment("XDG_CONFIG_HOME");
  if (!inputs.executableFolderWritable) inputs.home = homeFolder();
  std::filesystem::path folder = chooseDataFolder(inputs);
  // A folder that cannot be created shows up as the error of the first file written there.
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return folder;
}

}  // namespace namitra::platform
