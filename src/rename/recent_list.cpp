#include "rename/recent_list.h"

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

}  // namespace namitra::rename
