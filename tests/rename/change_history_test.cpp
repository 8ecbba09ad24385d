// The change history's compact store: records come back as they were appended, whatever the
// folders, the appends after them and the removals in between.
#include "rename/change_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace namitra::rename {
namespace {

HistoryRecord recordNumber(int k) {
  const std::string folder = k % 3 == 1 ? "/photos/2024/" : "/d/";
  const std::string newFolder = k % 5 == 4 ? folder + "sub/" : folder;
  return {folder, "before-name-" + std::to_string(k), "after-name-" + std::to_string(k), newFolder, k % 2 == 0};
}

TEST(ChangeHistory, GivesBackEveryRecordAsAppendedAndTellsTheListenerTheWholeRecord) {
  ChangeHistory history;
  std::vector<HistoryRecord> heard;
  history.setAppendListener([&](std::size_t i) { heard.push_back(history.record(i)); });
  std::vector<HistoryRecord> appended;
  for (int k = 0; k < 10; ++k) {
    appended.push_back(recordNumber(k));
    history.append(appended.back());
  }
  history.appendRename("/x/a", "/x/y/b");
  history.appendRename("", "c");
  appended.push_back({"/x/", "a", "b", "/x/y/", false});
  appended.push_back({"", "", "c", "", false});
  EXPECT_EQ(history.records(), appended);
  EXPECT_EQ(heard, appended) << "the listener sees the check mark too";
  EXPECT_EQ(history.record(4).pathAfter(), "/photos/2024/sub/after-name-4");
}

TEST(ChangeHistory, ViewsOutliveLaterAppendsAndRemovalsKeepTheOrder) {
  ChangeHistory history;
  history.append(recordNumber(1));
  const HistoryRecordView first = history.view(0);
  std::vector<HistoryRecord> all{recordNumber(1)};
  // Past 1 MiB of names, so that removing most of them gives the store back.
  for (int k = 2; k < 40000; ++k) {
    all.push_back(recordNumber(k));
    history.append(all.back());
  }
  EXPECT_EQ(first.nameBefore, "before-name-1") << "a view stays valid however much is appended";
  EXPECT_EQ(first.folder, "/photos/2024/");

  std::vector<bool> remove(history.size(), true);
  std::vector<HistoryRecord> kept;
  for (std::size_t k = 0; k < all.size(); k += 97) {
    remove[k] = false;
    kept.push_back(all[k]);
  }
  history.removeRows(remove);
  EXPECT_EQ(history.records(), kept);
  history.append(recordNumber(7));
  kept.push_back(recordNumber(7));
  EXPECT_EQ(history.records(), kept);
}

}  // namespace
}  // namespace namitra::rename
