#include "rename/recent_list.h"

#include "platform/list_file.h"
#include "sjis/case.h"

#include <algorithm>

namespace namitra::rename {

void promoteRecentEntry(std::vector<std::string>& list, std::string_view entry) {
  const auto same = std::find_if(list.begin(), list.end(), [&](const std::string& stored) {
    return sjis::equalsIgnoreCase(stored, entry);
  });
  if (same == list.end()) {
    list.insert(list.begin(), std::string(entry));
    return;
  }
  std::rotate(list.begin(), same, same + 1);
}

void promoteInListFile(const std::filesystem::path& file, std::vector<std::string>& list,
                       std::string_view entry) {
  if (auto stored = platform::readListFile(file)) list = std::move(*stored);
  if (!entry.empty()) promoteRecentEntry(list, entry);
  platform::writeListFile(file, list);
}

}  // namespace namitra::rename
