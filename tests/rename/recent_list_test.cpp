#include "rename/recent_list.h"

#include "../platform/temp_folder.h"

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

using platform::testing::readBytes;
using platform::testing::TempFolder;
using platform::testing::writeBytes;

TEST(RecentListFile, StoredListIsReadFirstAndWrittenBackWithCrLf) {
  TempFolder folder;
  writeBytes(folder / "h.lst", "b\nA\n");  // edited by hand with LF line ends
  List inMemory{"stale"};
  promoteInListFile(folder / "h.lst", inMemory, "a");
  EXPECT_EQ(inMemory, (List{"A", "b"}));
  EXPECT_EQ(readBytes(folder / "h.lst"), "A\r\nb\r\n");
}

TEST(RecentListFile, MissingFileKeepsTheListInMemoryAndCreatesTheFile) {
  TempFolder folder;
  List inMemory{"x"};
  promoteInListFile(folder / "h.lst", inMemory, "y");
  EXPECT_EQ(inMemory, (List{"y", "x"}));
  EXPECT_EQ(readBytes(folder / "h.lst"), "y\r\nx\r\n");
}

TEST(RecentListFile, EmptyEntryIsNeitherInsertedNorMovedButTheListIsWritten) {
  TempFolder folder;
  writeBytes(folder / "h.lst", "p\rq");
  List inMemory;
  promoteInListFile(folder / "h.lst", inMemory, "");
  EXPECT_EQ(inMemory, (List{"p", "q"}));
  EXPECT_EQ(readBytes(folder / "h.lst"), "p\r\nq\r\n");
}

}  // namespace
}  // namespace namitra::rename
