#include "rename/recent_list.h"

#include <gtest/gtest.h>

namespace namitra::rename {
namespace {

using List = std::vector<std::string>;

TEST(RecentList, NewEntryGoesToTheTop) {
  List list{"x", "y"};
  promoteRecentEntry(list, "z");
  EXPECT_EQ(list, (List{"z", "x", "y"}));
}

TEST(RecentList, EntryEqualWithoutRegardToCaseMovesUpInItsStoredSpelling) {
  List list{"x", "abc", "y", "ABC"};
  promoteRecentEntry(list, "ABC");
  EXPECT_EQ(list, (List{"abc", "x", "y", "ABC"}));
}

TEST(RecentList, FullWidthLettersCompareWithoutCase) {
  List list{"x", "\x82\x60"};     // Ａ
  promoteRecentEntry(list, "\x82\x81");  // ａ
  EXPECT_EQ(list, (List{"\x82\x60", "x"}));
}

TEST(RecentList, EmptyListGetsTheEntry) {
  List list;
  promoteRecentEntry(list, "");
  EXPECT_EQ(list, (List{""}));
}

}  // namespace
}  // namespace namitra::rename
