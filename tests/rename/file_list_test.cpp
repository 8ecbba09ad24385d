#include "rename/file_list.h"

#include <gtest/gtest.h>

namespace namitra::rename {
namespace {

FileList listOfNames(std::initializer_list<const char*> names) {
  FileList list;
  for (const char* name : names) list.append(FileEntry{"/d/", name, ""});
  return list;
}

std::vector<std::string> namesOf(const FileList& list) {
  std::vector<std::string> names;
  for (const FileEntry& entry : list.rows()) names.push_back(entry.name);
  return names;
}

TEST(SplitPath, SplitsAfterTheLastSlash) {
  EXPECT_EQ(splitPath("/home/u/a.jpg"), (FileEntry{"/home/u/", "a.jpg", ""}));
  EXPECT_EQ(splitPath("/home/u/photos"), (FileEntry{"/home/u/", "photos", ""}));
  EXPECT_EQ(splitPath("plain"), (FileEntry{"", "plain", ""}));
  // Backslash and colon are ordinary name characters here.
  EXPECT_EQ(splitPath("/d/a\\b:c"), (FileEntry{"/d/", "a\\b:c", ""}));
}

TEST(SplitPath, DoubleByteCharacterWithBackslashTrailStaysWhole) {
  // 表 is 0x95 0x5C: its trail byte has the value of "\", which is no separator anyway.
  EXPECT_EQ(splitPath("/\x95\x5C/\x95\x5C.txt"), (FileEntry{"/\x95\x5C/", "\x95\x5C.txt", ""}));
}

TEST(CompareSortKeys, FoldsAsciiLettersToUpperCaseOnly) {
  EXPECT_EQ(compareSortKeys("abc", "ABC"), 0);
  EXPECT_LT(compareSortKeys("ab", "abc"), 0);
  EXPECT_GT(compareSortKeys("b", "A"), 0);
  // "_" (0x5F) lies between "Z" and "a": with a..z taken as A..Z it sorts after every letter.
  EXPECT_GT(compareSortKeys("_", "z"), 0);
  // Double-byte characters compare by their bytes; the trail byte 0x61 is folded like "a" would be.
  EXPECT_EQ(compareSortKeys("\x82\x61", "\x82\x41"), 0);
  EXPECT_GT(compareSortKeys("\x82\xA0", "z"), 0);
}

TEST(FileListSort, DirectionAlternatesWithEveryClickWhicheverColumn) {
  FileList list;
  list.append(FileEntry{"/b/", "a.txt", ""});
  list.append(FileEntry{"/a/", "C.txt", ""});
  list.append(FileEntry{"/c/", "b.txt", ""});

  list.sortBy(FileListColumn::Name);  // first click: Z to A
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"C.txt", "b.txt", "a.txt"}));
  EXPECT_TRUE(list.sortAscending());
  list.sortBy(FileListColumn::Name);  // second click: A to Z
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"a.txt", "b.txt", "C.txt"}));
  list.sortBy(FileListColumn::Folder);  // third click, other column: Z to A again
  EXPECT_EQ(list.row(0).folder, "/c/");
  EXPECT_EQ(list.row(2).folder, "/a/");
  EXPECT_EQ(list.sortColumn(), FileListColumn::Folder);
}

TEST(FileListSort, EqualKeysKeepTheirOrder) {
  FileList list;
  list.append(FileEntry{"/d/", "x", "1"});
  list.append(FileEntry{"/d/", "X", "2"});
  list.sortBy(FileListColumn::Name);
  EXPECT_EQ(list.row(0).plannedName, "1");
  EXPECT_EQ(list.row(1).plannedName, "2");
}

TEST(FileListRemove, RemovesTheListedRowsKeepingOrder) {
  FileList list = listOfNames({"a", "b", "c", "d", "e"});
  list.removeRows({3, 1, 1, 99});
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"a", "c", "e"}));
  list.removeRows({});
  EXPECT_EQ(list.size(), 3u);
}

TEST(FileListAppend, SamePathTwiceGivesTwoRows) {
  FileList list;
  list.append(splitPath("/d/a.txt"));
  list.append(std::vector<FileEntry>{splitPath("/d/a.txt"), splitPath("/d/b.txt")});
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"a.txt", "a.txt", "b.txt"}));
}

TEST(FileListFilter, KeepsNamesContainingTheTextCaseSensitively) {
  FileList list = listOfNames({"xABCy.txt", "xabcy.txt", "ABC", "other"});
  list.row(3).folder = "/ABC/";  // folders are not looked at
  EXPECT_EQ(list.keepNamesContaining("ABC"), 2u);
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"xABCy.txt", "ABC"}));
}

TEST(FileListFilter, NeverMatchesOnATrailByte) {
  // ア is 0x83 0x41: its trail byte is "A" but no name contains the character A.
  FileList list = listOfNames({"\x83\x41", "A"});
  list.keepNamesContaining("A");
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"A"}));
}

TEST(FileListFilter, TextFoundNowhereEmptiesTheList) {
  FileList list = listOfNames({"a", "b"});
  list.keepNamesContaining("zzz");
  EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace namitra::rename
