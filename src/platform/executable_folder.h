// Where the running program lies: the folder of /proc/self/exe, the home of every stored file
// in a portable installation (see data_folder.h for where they go otherwise).
#pragma once

#include <filesystem>

namespace namitra::platform {

// The full path of the running executable (symbolic links resolved).
std::filesystem::path executablePath();

// The folder of the executable with its trailing "/": ExecutableFolder().native() ends with
// "/", so a stored file's path is this folder followed by the file name.
std::filesystem::path ExecutableFolder();

}  // namespace namitra::platform
