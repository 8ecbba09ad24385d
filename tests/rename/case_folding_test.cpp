// The run on a folder that ignores letter case, through an in-memory file system that behaves
// like the worst of them: renaming a file to its own name in other case "succeeds" without
// changing anything.
#include "rename/rename_run.h"

#include "rename/messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>

namespace namitra::rename {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
           return lower(x) == lower(y);
         });
}

class CaseFoldingFiles : public FileAccess {
 public:
  using Folder = std::vector<std::pair<std::string, std::string>>;  // stored name, content
  std::map<std::string, Folder> folders;
  bool storesLowerCase = false;  // like a file system that keeps only one spelling
  int listings = 0;

  bool listFolder(const std::string& folder, const EntryVisitor& visit) override {
    ++listings;
    auto it = folders.find(folder);
    if (it == folders.end()) return false;
    for (const auto& [name, content] : it->second) visit(FolderEntry{name, false, inodeOf(content)});
    return true;
  }
  EntryKind entryKind(const std::string& path) override {
    return find(path).second ? EntryKind::File : EntryKind::None;
  }
  // Every file of these tests has a content of its own, which serves as its identity.
  FileIdentity identity(const std::string& path) override {
    auto entry = find(path).second;
    return entry ? FileIdentity{1, inodeOf(entry->second)} : FileIdentity{};
  }
  FileIdentity folderIdentity(const std::string& folder) override {
    return folders.count(folder) ? FileIdentity{1, inodeOf(folder)} : FileIdentity{};
  }
  std::optional<std::string> canonicalFolder(const std::string& folder) override {
    if (!folders.count(folder)) return std::nullopt;
    return folder;
  }
  RenameStatus rename(const std::string& from, const std::string& to, bool replaceAllowed,
                      const MoveScratch* = nullptr) override {
    auto [sourceFolder, source] = find(from);
    if (!source) return {ENOENT};
    auto [targetFolder, target] = find(to);
    if (target == source) return {};  // "succeeds" and changes nothing
    if (target && !replaceAllowed) return {EEXIST};
    std::string content = source->second;
    if (target) eraseEntry(*targetFolder, target);
    std::tie(sourceFolder, source) = find(from);
    eraseEntry(*sourceFolder, source);
    std::string name = to.substr(to.rfind('/') + 1);
    if (storesLowerCase)
      for (char& c : name) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    folders[to.substr(0, to.rfind('/') + 1)].emplace_back(name, content);
    return {};
  }

 private:
  std::pair<Folder*, std::pair<std::string, std::string>*> find(const std::string& path) {
    auto it = folders.find(path.substr(0, path.rfind('/') + 1));
    if (it == folders.end()) return {nullptr, nullptr};
    const std::string name = path.substr(path.rfind('/') + 1);
    for (auto& entry : it->second)
      if (sameIgnoringCase(entry.first, name)) return {&it->second, &entry};
    return {&it->second, nullptr};
  }
  static std::uint64_t inodeOf(const std::string& text) { return std::hash<std::string>{}(text) | 1; }
  static void eraseEntry(Folder& folder, std::pair<std::string, std::string>* entry) {
    folder.erase(folder.begin() + (entry - folder.data()));
  }
};

struct CaseFoldingRun : ::testing::Test {
  CaseFoldingFiles files;
  FileList list;
  ChangeHistory history;
  std::vector<std::string> questions;

  void SetUp() override {
    files.folders["/ci/"] = {{"abc.txt", "abc"}, {"b.txt", "b"}, {"other", "o"}};
    list.append(FileEntry{"/ci/", "abc.txt", "ABC.txt"});  // only the case changes
    list.append(FileEntry{"/ci/", "other", "B.txt"});      // b.txt is another file
  }
  RunReport run(OverwriteAnswer answer) {
    RunCallbacks callbacks{[&](const std::string& text) {
                             questions.push_back(text);
                             return answer;
                           },
                           {}, 500};
    return actFileListExecute(list, history, files, nativeNamesAsTheyAre(), callbacks);
  }
  CaseFoldingFiles::Folder folder() { return files.folders["/ci/"]; }
};

using Folder = CaseFoldingFiles::Folder;

TEST_F(CaseFoldingRun, YesReplacesTheOtherFileAndTheCaseChangeShowsOnDisk) {
  RunReport report = run(OverwriteAnswer::Yes);
  ASSERT_EQ(questions.size(), 1u) << "asked at most once per run";
  EXPECT_EQ(questions[0], "\"ABC.txt\"" + std::string(text::kOverwriteQuestionTail));
  EXPECT_EQ(report.failed, 0u);
  EXPECT_EQ(folder(), (Folder{{"ABC.txt", "abc"}, {"B.txt", "o"}}));
  ASSERT_EQ(history.size(), 2u);
  EXPECT_EQ(history.record(0).nameAfter, "ABC.txt");
}

TEST_F(CaseFoldingRun, NoLeavesTheOtherFileButStillChangesTheCase) {
  RunReport report = run(OverwriteAnswer::No);
  EXPECT_EQ(questions.size(), 1u);
  EXPECT_EQ(report.failed, 1u);
  EXPECT_EQ(folder(), (Folder{{"b.txt", "b"}, {"other", "o"}, {"ABC.txt", "abc"}}));
  EXPECT_NE(report.log[0].find("/ci/other"), std::string::npos);
}

TEST_F(CaseFoldingRun, CancelSelectsTheRowThatAskedAndRenamesNothing) {
  RunReport report = run(OverwriteAnswer::Cancel);
  EXPECT_EQ(report.outcome, RunOutcome::Cancelled);
  EXPECT_EQ(report.selectLine, 0);
  EXPECT_EQ(report.selectLength, 7);
  EXPECT_TRUE(report.log.empty());
  EXPECT_EQ(folder(), (Folder{{"abc.txt", "abc"}, {"b.txt", "b"}, {"other", "o"}}));
  EXPECT_TRUE(history.empty());
}

TEST_F(CaseFoldingRun, ACaseChangeTheDiskDoesNotShowIsAFailure) {
  files.storesLowerCase = true;
  list.removeRow(1);
  RunReport report = run(OverwriteAnswer::No);
  EXPECT_EQ(report.failed, 1u);
  EXPECT_NE(report.log[0].find(text::kReasonNameNotShown), std::string::npos);
  EXPECT_EQ(folder(), (Folder{{"b.txt", "b"}, {"other", "o"}, {"abc.txt", "abc"}}));
  EXPECT_TRUE(history.empty());
}

TEST_F(CaseFoldingRun, ManyCaseChangesInOneFolderAreCheckedByOneListing) {
  list.clear();
  for (int k = 0; k < 50; ++k) {
    const std::string name = "img" + std::to_string(k) + ".jpg";
    files.folders["/ci/"].emplace_back(name, name);
    list.append(FileEntry{"/ci/", name, "IMG" + std::to_string(k) + ".JPG"});
  }
  RunReport report = run(OverwriteAnswer::No);
  EXPECT_EQ(report.succeeded, 50u);
  EXPECT_EQ(questions.size(), 1u);
  EXPECT_LE(files.listings, 3) << "the survey (as stored, then folded) and one check, not one per row";
  ASSERT_EQ(history.size(), 50u);
  EXPECT_EQ(history.record(0).nameAfter, "IMG0.JPG") << "records keep the order of the rows";
  EXPECT_EQ(history.record(49).nameAfter, "IMG49.JPG");
  EXPECT_EQ(folder().size(), 53u);
}

TEST_F(CaseFoldingRun, StoredSpellingOfAnotherRowsSourceOrdersTheRenames) {
  // "B.txt" names the file stored as b.txt, which row 1 moves away first.
  list.clear();
  list.append(FileEntry{"/ci/", "other", "B.txt"});
  list.append(FileEntry{"/ci/", "b.txt", "c.txt"});
  RunReport report = run(OverwriteAnswer::No);
  EXPECT_EQ(report.failed, 0u);
  EXPECT_EQ(folder(), (Folder{{"abc.txt", "abc"}, {"c.txt", "b"}, {"B.txt", "o"}}));
}

TEST_F(CaseFoldingRun, AnUnreadableFolderWithAFileAtTheTargetStopsTheRun) {
  struct Unlistable : CaseFoldingFiles {
    bool listFolder(const std::string&, const EntryVisitor&) override { return false; }
  } unlistable;
  unlistable.folders = files.folders;
  list.clear();
  list.append(FileEntry{"/ci/", "other", "b.txt"});
  RunReport report = actFileListExecute(list, history, unlistable, nativeNamesAsTheyAre(), {});
  EXPECT_EQ(report.outcome, RunOutcome::DirectoryEntryUnreadable);
  EXPECT_EQ(report.log, (std::vector<std::string>{text::kDirectoryEntryUnreadable}));
  EXPECT_EQ(unlistable.folders["/ci/"].size(), 3u);
}

}  // namespace
}  // namespace namitra::rename
