#include "platform/executable_folder.h"

namespace namitra::platform {

std::filesystem::path executablePath() { return std::filesystem::read_symlink("/proc/self/exe"); }

std::filesystem::path ExecutableFolder() { return executablePath().parent_path() / ""; }

}  // namespace namitra::platform
