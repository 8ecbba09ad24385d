// The data folder: where the settings file, the list files, the rule files and the name-code
// table live.
//
// A portable installation keeps them beside the executable, as the program always did. An
// installed program (under /usr, whose folder the user cannot write) keeps them in
// $XDG_CONFIG_HOME/namitra/ instead, by default ~/.config/namitra/. The environment variable
// NAMITRA_DATA_DIR, when set and not empty, overrides both (tests and scripted runs use it).
//
// The folder is decided on every call from the current environment, and created when it is
// missing. Whether the executable's folder is writable is asked with access(W_OK); for root
// that is true almost everywhere, so a folder below /usr/ never counts as writable.
#pragma once

#include <filesystem>
#include <string>

namespace namitra::platform {

// What the decision depends on, so that it can be tested without a read-only folder.
struct DataFolderInputs {
  std::filesystem::path executableFolder;
  bool executableFolderWritable = true;
  std::string dataDirOverride;  // NAMITRA_DATA_DIR
  std::string xdgConfigHome;    // XDG_CONFIG_HOME
  std::string home;             // HOME
};

// The data folder for these inputs, with its trailing "/". An XDG_CONFIG_HOME that is not an
// absolute path is ignored, as the XDG base directory rules say.
std::filesystem::path chooseDataFolder(const DataFolderInputs& inputs);

// True for a folder of an installed program (below /usr/), which counts as not writable even
// for root, so that settings never land beside the installed executable.
bool isSystemInstallFolder(const std::filesystem::path& folder);

// The data folder of this run (see above), created when missing; its string ends with "/".
std::filesystem::path dataFolder();

}  // namespace namitra::platform
