// Random batches of renames on a small real world, each checked against the disk afterwards.
//
// Every batch lays out a few files with distinct contents in two folders, d1 and d2, that rows
// also reach through a link to d1 ("ln") and through "..", and where a tmpfs can be mounted in a
// folder "x" of another file system; sometimes two of the files are one file under two names (a
// hard link), sometimes a subfolder is renamed together with the file in it. The rows spell their
// paths in many ways and plan swaps, chains, cycles, moves into other folders and onto the other
// file system, missing sources, the same file twice and repeated targets; replacing is allowed or
// not, and some renames are refused on the way. After the batch the disk is compared with a model
// of the world: a file that any row names is never lost, a file that is no row's is lost only
// where replacing was allowed, replaying the records the batch appended to the history over the
// world as it was gives the disk, no temporary name is left behind, and undoing the whole history
// brings every name back with its content. A second test does the same on a folder that ignores
// letter case, where rows spell names and folders in other case than the disk stores them.
//
// Each batch has its own seed, and a failing batch is printed with it and with its world and rows.
// NAMITRA_RANDOM_SEED makes the batches start from that seed and NAMITRA_RANDOM_BATCHES sets how
// many run; the default keeps the test to a few seconds, and well within half a minute under
// AddressSanitizer.
#include "rename/rename_run.h"

#include "../platform/temp_folder.h"
#include "fault_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::rename {
namespace {

namespace fs = std::filesystem;
using platform::testing::readBytes;
using platform::testing::TempFolder;
using platform::testing::writeBytes;
using testing::Mount;
using Contents = std::map<std::string, std::string>;
using Random = std::mt19937_64;

std::size_t pick(Random& random, std::size_t count) {
  return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
}
bool chance(Random& random, double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; }
template <typename T>
const T& pickOf(Random& random, const std::vector<T>& values) {
  return values[pick(random, values.size())];
}

std::string lowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return lower;
}

std::size_t fromEnvironment(const char* name, std::size_t fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::strtoull(value, nullptr, 10) : fallback;
}

// ---- The model ----

// The world as the test believes it is: folders and files as numbered nodes, a hard link as two
// entries of one node, a symbolic link to a folder as an alias at the top. Paths are resolved as
// the system resolves them: empty components and "." skipped, ".." to the folder's parent, the
// alias to its folder. On a folder that ignores case, names are found by their lower case and
// keep the spelling they were given.
class Model {
 public:
  struct Place {
    int folder;
    std::string name;
  };

  explicit Model(bool ignoresCase) : m_ignoresCase(ignoresCase) { m_nodes.push_back({true, {}, -1, {}}); }

  int addFolder(int parent, const std::string& name) { return add(parent, name, true, {}); }
  int addFile(int parent, const std::string& name, const std::string& content) {
    return add(parent, name, false, content);
  }
  void addAlias(const std::string& name, int folder) { m_aliases[name] = folder; }

  bool isFolder(int node) const { return m_nodes[node].folder; }
  const std::string& content(int node) const { return m_nodes[node].content; }

  // The folder and last name of `path` (relative to the world's folder); nullopt when a folder on
  // the way is not there.
  std::optional<Place> locate(std::string_view path) const {
    int folder = 0;
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t slash; (slash = path.find('/', start)) != std::string_view::npos; start = slash + 1)
      parts.emplace_back(path.substr(start, slash - start));
    const std::string last(path.substr(start));
    if (last.empty() || last == "." || last == "..") return std::nullopt;
    for (const std::string& part : parts) {
      if (part.empty() || part == ".") continue;
      if (part == "..") {
        if (m_nodes[folder].parent >= 0) folder = m_nodes[folder].parent;
        continue;
      }
      if (auto alias = m_aliases.find(part); folder == 0 && alias != m_aliases.end()) {
        folder = alias->second;
        continue;
      }
      const int next = nodeAt({folder, part});
      if (next < 0 || !m_nodes[next].folder) return std::nullopt;
      folder = next;
    }
    return Place{folder, last};
  }

  int nodeAt(const Place& place) const {
    const auto& children = m_nodes[place.folder].children;
    auto found = children.find(key(place.name));
    return found == children.end() ? -1 : found->second.node;
  }
  void remove(const Place& place) { m_nodes[place.folder].children.erase(key(place.name)); }
  void put(const Place& place, int node) {
    m_nodes[place.folder].children[key(place.name)] = {place.name, node};
    if (m_nodes[node].folder) m_nodes[node].parent = place.folder;
  }

  // Every entry by its path, as contentsBelow shows the disk.
  Contents contents() const {
    Contents contents;
    collect(0, "", contents);
    return contents;
  }

 private:
  struct Child {
    std::string spelling;
    int node;
  };
  struct Node {
    bool folder;
    std::string content;
    int parent;
    std::map<std::string, Child> children;
  };

  std::string key(std::string_view name) const { return m_ignoresCase ? lowerCase(name) : std::string(name); }
  int add(int parent, const std::string& name, bool folder, const std::string& content) {
    m_nodes.push_back({folder, content, parent, {}});
    const int node = static_cast<int>(m_nodes.size() - 1);
    put({parent, name}, node);
    return node;
  }
  void collect(int folder, const std::string& prefix, Contents& contents) const {
    for (const auto& [key, child] : m_nodes[folder].children) {
      const std::string path = prefix + child.spelling;
      if (!m_nodes[child.node].folder) {
        contents[path] = m_nodes[child.node].content;
        continue;
      }
      contents[path] = "<dir>";
      collect(child.node, path + "/", contents);
    }
  }

  bool m_ignoresCase;
  std::vector<Node> m_nodes;
  std::map<std::string, int> m_aliases;
};

// ---- The world and its batches ----

struct Features {
  bool alias = true;        // the link "ln" to d1
  bool hardLinks = true;
  bool otherDevice = false; // "x" is a tmpfs
  bool ignoresCase = false;
  // Every batch in a folder of its own: on exFAT through FUSE the kernel keeps a name of a file
  // that is gone, in another letter case, as if it were there, and a new file of that name
  // cannot be made.
  bool freshFolders = false;
};

// A file or folder of the world that rows can name, by its folder ("d1", "d1/s", "x").
struct Entry {
  std::string folder;
  std::string name;
  int node;
};

struct Batch {
  std::uint64_t seed = 0;
  Contents before;
  std::vector<FileEntry> rows;
  bool direct = false;  // a RenameBatch run as namitra-cli --overwrite runs it, else the rename command
  OverwriteAnswer answer = OverwriteAnswer::No;  // direct: Yes lets existing files be replaced
  double refusals = 0;  // the share of renames refused
  bool harsh = false;   // ... and after the first, half of all, the way back included
  std::string root;     // stripped from the printed rows
};

const char* answerName(OverwriteAnswer answer) {
  return answer == OverwriteAnswer::Yes ? "Yes" : answer == OverwriteAnswer::No ? "No" : "Cancel";
}

std::ostream& operator<<(std::ostream& out, const Batch& batch) {
  out << "seed " << batch.seed << (batch.direct ? ", RenameBatch with replacing " : ", the rename command answering ")
      << answerName(batch.answer) << ", " << batch.refusals * 100 << "% of renames refused"
      << (batch.harsh ? " (then half of all)" : "") << "\nworld:\n";
  for (const auto& [path, content] : batch.before) out << "  " << path << " = " << content << "\n";
  out << "rows (folder | name -> planned name):\n";
  for (const FileEntry& row : batch.rows)
    out << "  " << row.folder.substr(batch.root.size()) << " | " << row.name << " -> " << row.plannedName << "\n";
  return out;
}

class World {
 public:
  World(fs::path root, Features features) : m_base(std::move(root)), m_root(m_base), m_features(features) {
    for (const char* folder : {"d1", "d2"}) fs::create_directory(m_root / folder);
    if (m_features.alias) fs::create_directory_symlink("d1", m_root / "ln");
  }

  const Features& features() const { return m_features; }
  std::string prefix() const { return m_root.string() + "/"; }

  // The disk as the model shows it: the alias is left out.
  Contents disk() const {
    Contents contents = testing::contentsBelow(m_root);
    contents.erase("ln");
    return contents;
  }

  // Empties the folders and lays a random world in them; returns its model and its entries.
  Model lay(Random& random, std::uint64_t seed, std::vector<Entry>& entries) {
    if (m_features.freshFolders) {
      if (m_root != m_base) fs::remove_all(m_root);
      m_root = m_base / ("w" + std::to_string(seed));
      fs::create_directory(m_root);
      for (const std::string& folder : folders()) fs::create_directory(m_root / folder);
    }
    for (const std::string& folder : folders()) {
      for (const auto& entry : fs::directory_iterator(m_root / folder)) fs::remove_all(entry.path());
    }
    entries.clear();
    Model model(m_features.ignoresCase);
    std::map<std::string, int> folderNodes;
    for (const std::string& folder : folders()) folderNodes[folder] = model.addFolder(0, folder);
    if (m_features.alias) model.addAlias("ln", folderNodes["d1"]);
    std::set<std::string> taken;  // "folder/key"
    const auto freeName = [&](const std::string& folder) {
      std::vector<std::string> free;
      for (const std::string& name : names())
        if (!taken.count(folder + "/" + lowerCase(name))) free.push_back(name);
      const std::string name = free.empty() ? "z" + std::to_string(taken.size()) : pickOf(random, free);
      taken.insert(folder + "/" + lowerCase(name));
      return name;
    };
    const auto content = [&](const std::string& path) {
      return "content of " + path + " (" + std::to_string(seed) + ")";
    };
    const std::size_t files = 3 + pick(random, 6);
    for (std::size_t k = 0; k < files; ++k) {
      const std::string folder = m_features.otherDevice && chance(random, 0.15) ? "x" : pick(random, 2) ? "d2" : "d1";
      const std::string name = freeName(folder);
      const std::string path = folder + "/" + name;
      writeBytes(m_root / path, content(path));
      entries.push_back({folder, name, model.addFile(folderNodes[folder], name, content(path))});
    }
    if (m_features.hardLinks && chance(random, 0.25)) {
      const Entry& file = pickOf(random, entries);
      const std::string folder = file.folder == "x" ? "x" : pick(random, 2) ? "d2" : "d1";
      const std::string name = freeName(folder);
      fs::create_hard_link(m_root / file.folder / file.name, m_root / folder / name);
      model.put({folderNodes[folder], name}, file.node);
      entries.push_back({folder, name, file.node});
    }
    if (chance(random, 0.3)) {
      const std::string parent = pick(random, 2) ? "d2" : "d1";
      const std::string name = freeName(parent);
      const std::string inside = parent + "/" + name;
      fs::create_directory(m_root / inside);
      const int folder = model.addFolder(folderNodes[parent], name);
      entries.push_back({parent, name, folder});
      writeBytes(m_root / inside / "i", content(inside + "/i"));
      entries.push_back({inside, "i", model.addFile(folder, "i", content(inside + "/i"))});
    }
    return model;
  }

  // Rows over the entries of the world just laid.
  std::vector<FileEntry> rows(Random& random, const std::vector<Entry>& entries) {
    std::vector<FileEntry> rows;
    const std::size_t count = 1 + pick(random, 7);
    while (rows.size() < count) {
      const double kind = std::uniform_real_distribution<double>(0, 1)(random);
      if (kind < 0.55) {
        const Entry& source = pickOf(random, entries);
        rows.push_back(row(random, source.folder, source.name, plannedFor(random, source.folder, entries)));
      } else if (kind < 0.63) {  // a source that is not there
        const std::string folder = pick(random, 2) ? "d1" : "d2";
        rows.push_back(row(random, folder, "missing", plannedFor(random, folder, entries)));
      } else if (kind < 0.8 && entries.size() >= 2) {  // a cycle of two or three files
        std::vector<const Entry*> cycle;
        for (std::size_t k = 0, length = 2 + pick(random, 2); k < length; ++k)
          cycle.push_back(&pickOf(random, entries));
        for (std::size_t k = 0; k < cycle.size(); ++k) {
          const Entry& from = *cycle[k];
          const Entry& to = *cycle[(k + 1) % cycle.size()];
          rows.push_back(row(random, from.folder, from.name, plannedPath(random, from.folder, to.folder, to.name)));
        }
      } else if (kind < 0.92 && !rows.empty()) {  // a row's file again, spelled anew
        const FileEntry& earlier = pickOf(random, rows);
        const std::string folder = folderOfText(earlier.folder);
        rows.push_back(row(random, folder, earlier.name, plannedFor(random, folder, entries)));
      } else if (!rows.empty()) {  // a planned path that another row has already
        const FileEntry& earlier = pickOf(random, rows);
        const Entry& source = pickOf(random, entries);
        rows.push_back(FileEntry{earlier.folder, source.name, earlier.plannedName});
      }
    }
    return rows;
  }

 private:
  std::vector<std::string> folders() const {
    std::vector<std::string> folders{"d1", "d2"};
    if (m_features.otherDevice) folders.push_back("x");
    return folders;
  }
  const std::vector<std::string>& names() const {
    static const std::vector<std::string> plain{"a", "b", "c", "e", "f", "g", "h", "k"};
    static const std::vector<std::string> mixed{"a", "B", "c", "E", "f", "G", "h", "K"};
    return m_features.ignoresCase ? mixed : plain;
  }

  // The name in another letter case now and then, where case is ignored.
  std::string spell(Random& random, const std::string& name) {
    if (!m_features.ignoresCase || !chance(random, 0.35)) return name;
    std::string spelled = name;
    for (char& c : spelled) {
      if (pick(random, 2) == 0) continue;
      if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 32);
      else if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c + 32);
    }
    return spelled;
  }

  // One of the many ways to write the folder, with its trailing "/".
  std::string spellFolder(Random& random, const std::string& folder) {
    const std::size_t slash = folder.find('/');
    if (slash != std::string::npos)
      return spellFolder(random, folder.substr(0, slash)) + spell(random, folder.substr(slash + 1)) +
             pickOf(random, std::vector<std::string>{"/", "//", "/./"});
    std::vector<std::string> ways{folder + "/", folder + "//", folder + "/./", "./" + folder + "/",
                                  (folder == "d1" ? "d2" : "d1") + std::string("/../") + folder + "/"};
    if (m_features.alias) ways.push_back(folder == "d1" ? "ln/" : "ln/../" + folder + "/");
    std::string way = pickOf(random, ways);
    if (m_features.ignoresCase && chance(random, 0.35)) way = spell(random, way);
    return way;
  }

  FileEntry row(Random& random, const std::string& folder, const std::string& name, const std::string& planned) {
    return FileEntry{prefix() + spellFolder(random, folder), spell(random, name), planned};
  }

  // The folder ("d1", "d1/s") that a row's folder text names, for a row spelled anew; below the
  // top, in the letter case the row gave it.
  std::string folderOfText(const std::string& text) const {
    std::vector<std::string> parts;
    std::stringstream in(text.substr(prefix().size()));
    for (std::string part; std::getline(in, part, '/');) {
      if (part.empty() || part == ".") continue;
      if (part == "..")
        parts.pop_back();
      else if (!parts.empty())
        parts.push_back(part);
      else
        parts.push_back(part == "ln" ? "d1" : lowerCase(part));
    }
    std::string folder;
    for (const std::string& part : parts) folder += (folder.empty() ? "" : "/") + part;
    return folder;
  }

  // The planned name that puts a file of `from` at `name` in `to`.
  std::string plannedPath(Random& random, const std::string& from, const std::string& to, const std::string& name) {
    const std::string spelled = spell(random, name);
    if (to == from && !chance(random, 0.2)) return spelled;
    if (to.starts_with(from + "/")) return to.substr(from.size() + 1) + "/" + spelled;
    std::string up;
    for (std::size_t k = 0, depth = std::count(from.begin(), from.end(), '/') + 1; k < depth; ++k) up += "../";
    return up + to + "/" + spelled;
  }

  std::string plannedFor(Random& random, const std::string& from, const std::vector<Entry>& entries) {
    const double kind = std::uniform_real_distribution<double>(0, 1)(random);
    if (kind < 0.4) {  // another entry's place: a chain, a swap, an existing file
      const Entry& target = pickOf(random, entries);
      return plannedPath(random, from, target.folder, target.name);
    }
    static const std::vector<std::string> fresh{"n1", "n2", "N3", "m"};
    if (kind < 0.7) return plannedPath(random, from, from, pickOf(random, fresh));
    if (kind < 0.85) {
      std::vector<std::string> elsewhere = folders();
      for (const Entry& entry : entries)
        if (entry.folder.find('/') != std::string::npos) elsewhere.push_back(entry.folder);
      return plannedPath(random, from, pickOf(random, elsewhere), pickOf(random, fresh));
    }
    return plannedPath(random, from, pickOf(random, folders()), pickOf(random, names()));
  }

  fs::path m_base;
  fs::path m_root;
  Features m_features;
};

// The system's file access, refusing some renames with EACCES. Where the refusals come from
// permissions, a rename that puts back what the run has just moved goes through, and so it does
// here. In harsh batches the file system starts failing at the first refusal instead: every
// later rename, the way back included, is refused as often as not.
class RefusingFiles : public SystemFileAccess {
 public:
  RefusingFiles(Random& random, double share, bool harsh) : m_random(random), m_share(share), m_harsh(harsh) {}

  RenameStatus rename(const std::string& from, const std::string& to, bool replaceAllowed,
                      const MoveScratch* scratch) override {
    const bool reversal = m_made.count({to, from}) > 0;
    if (m_failing ? chance(m_random, 0.5) : m_share > 0 && (m_harsh || !reversal) && chance(m_random, m_share)) {
      m_failing = m_harsh;
      return {EACCES};
    }
    const RenameStatus status = SystemFileAccess::rename(from, to, replaceAllowed, scratch);
    if (status.ok()) m_made.insert({from, to});
    return status;
  }

 private:
  Random& m_random;
  double m_share;
  bool m_harsh;
  bool m_failing = false;
  std::set<std::pair<std::string, std::string>> m_made;
};

// What a batch did, whichever way it was run.
struct Result {
  RunOutcome outcome = RunOutcome::Finished;
  std::size_t succeeded = 0;
  bool replacing = false;              // existing files were allowed to be replaced
  std::vector<std::string> leftAt;     // temporaries reported as holding a file that stayed there
  std::vector<std::size_t> leftAtRow;  // ... and their rows
};

Result runBatch(const Batch& batch, ChangeHistory& history, FileAccess& files) {
  FileList list;
  for (const FileEntry& row : batch.rows) list.append(row);
  Result result;
  if (!batch.direct) {
    const OverwriteAnswer answer = batch.answer;
    RunCallbacks callbacks{[answer](const std::string&) { return answer; }, {}, 500};
    const RunReport report = actFileListExecute(list, history, files, nativeNamesAsTheyAre(), callbacks);
    result.outcome = report.outcome;
    result.succeeded = report.succeeded;
    result.replacing = report.overwriteAllowed;
    EXPECT_EQ(report.overwriteAllowed, report.askedOverwrite && answer == OverwriteAnswer::Yes);
    // A failure line ends with the temporary where the file stayed, if it did.
    for (const std::string& line : report.log) {
      const std::size_t open = line.rfind(" (");
      if (!line.ends_with(")") || open == std::string::npos) continue;
      for (std::size_t i = 0; i < list.size(); ++i) {
        if (!line.starts_with(">> " + list.row(i).currentPath() + " -> " + list.row(i).plannedPath() + ": ")) continue;
        result.leftAt.push_back(line.substr(open + 2, line.size() - open - 3));
        result.leftAtRow.push_back(i);
      }
    }
    return result;
  }
  // As namitra-cli --overwrite runs it: replacing allowed from the start, or never.
  RenameBatch renames(files, nativeNamesAsTheyAre());
  for (const FileEntry& row : list.rows()) renames.addPlanned(row.folder, row.name, row.plannedName);
  if (renames.firstRepeatedTarget()) {
    result.outcome = RunOutcome::DuplicatePlannedPath;
    return result;
  }
  renames.survey();
  result.replacing = batch.answer == OverwriteAnswer::Yes;
  renames.execute(result.replacing, history);
  result.succeeded = renames.succeeded();
  for (std::size_t i = 0; i < renames.size(); ++i) {
    EXPECT_NE(renames.state(i), MoveState::Pending) << "row " << i << " was neither carried out nor refused";
    const MoveOutcome outcome = renames.outcome(i);
    if (outcome.leftAt.empty()) continue;
    result.leftAt.push_back(outcome.leftAt);
    result.leftAtRow.push_back(i);
  }
  return result;
}

// ---- The checks ----

class RandomBatches : public ::testing::Test {
 protected:
  TempFolder dir;

  // Runs `count` batches from `firstSeed` on the world; stops at the first batch that fails.
  void runBatches(World& world, std::uint64_t firstSeed, std::size_t count) {
    for (std::uint64_t seed = firstSeed; seed < firstSeed + count; ++seed) {
      Random random(seed);
      std::vector<Entry> entries;
      Model before = world.lay(random, seed, entries);
      Batch batch;
      batch.seed = seed;
      batch.root = world.prefix();
      batch.before = world.disk();
      batch.rows = world.rows(random, entries);
      batch.direct = chance(random, 0.5);
      using enum OverwriteAnswer;
      batch.answer =
          batch.direct ? (chance(random, 0.5) ? Yes : No) : pickOf(random, std::vector{Yes, Yes, No, Cancel});
      batch.refusals = pickOf(random, std::vector<double>{0, 0, 0.04, 0.12, 0.3});
      batch.harsh = batch.refusals > 0 && chance(random, 0.25);
      ASSERT_EQ(before.contents(), batch.before) << "the world was not laid as modelled";
      check(world, batch, before, random);
      if (HasFailure()) {
        ADD_FAILURE() << "the batch that failed (rerun it alone with NAMITRA_RANDOM_SEED=" << seed
                      << " NAMITRA_RANDOM_BATCHES=1 --gtest_filter="
                      << ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() << "."
                      << ::testing::UnitTest::GetInstance()->current_test_info()->name() << "):\n"
                      << batch;
        return;
      }
    }
  }

  void check(World& world, const Batch& batch, const Model& before, Random& random) {
    const std::string root = world.prefix();
    const auto relative = [&](const std::string& path) { return path.substr(root.size()); };

    // The file each row names before the batch, and the first row that names it.
    std::vector<int> rowNode;
    std::set<int> rowNodes;
    std::map<int, std::size_t> firstRow;
    for (std::size_t i = 0; i < batch.rows.size(); ++i) {
      std::optional<Model::Place> place = before.locate(relative(batch.rows[i].currentPath()));
      rowNode.push_back(place ? before.nodeAt(*place) : -1);
      if (rowNode.back() < 0) continue;
      rowNodes.insert(rowNode.back());
      firstRow.try_emplace(rowNode.back(), i);
    }
    std::set<std::string> plannedPaths;
    bool repeated = false;
    for (const FileEntry& row : batch.rows) repeated |= !plannedPaths.insert(row.plannedPath()).second;

    ChangeHistory history;
    RefusingFiles files(random, batch.refusals, batch.harsh);
    const Result result = runBatch(batch, history, files);
    const Contents after = world.disk();

    EXPECT_EQ(result.outcome == RunOutcome::DuplicatePlannedPath, repeated) << "a repeated planned path stops the run";
    if (result.outcome != RunOutcome::Finished) {
      EXPECT_EQ(after, batch.before) << "a run that stopped renamed something";
      EXPECT_TRUE(history.empty());
      return;
    }
    EXPECT_EQ(history.size(), result.succeeded) << "every success is in the history, and only those";

    // No file that a row names is lost or doubled; a file that is no row's is lost only where
    // replacing was allowed; nothing new appears, no temporary above all.
    std::map<std::string, int> linksBefore, linksAfter;
    std::set<std::string> rowContents;
    for (int node : rowNodes) rowContents.insert(before.content(node));
    for (const auto& [path, content] : batch.before) ++linksBefore[content];
    for (const auto& [path, content] : after) {
      ++linksAfter[content];
      EXPECT_TRUE(linksBefore.count(content)) << path << " holds what no file held before";
      const std::size_t temporary = path.find(".namitra-");
      if (temporary == std::string::npos) continue;
      // A folder left at a temporary name keeps its files.
      const std::string left = root + path.substr(0, std::min(path.find('/', temporary), path.size()));
      const bool reported = std::any_of(result.leftAt.begin(), result.leftAt.end(), [&](const std::string& reported) {
        std::error_code missing;
        return fs::canonical(reported, missing) == fs::canonical(left, missing);
      });
      EXPECT_TRUE(batch.harsh && reported) << "a temporary name is left: " << path;
    }
    EXPECT_TRUE(result.leftAt.empty() || batch.harsh) << "a file was left at " << result.leftAt.front();
    for (const auto& [content, links] : linksBefore) {
      if (content == "<dir>") continue;
      if (rowContents.count(content)) {
        EXPECT_EQ(linksAfter[content], links) << "a row's file: \"" << content << "\"";
      } else if (linksAfter[content] != links) {
        EXPECT_TRUE(result.replacing && linksAfter[content] < links) << "no row's file: \"" << content << "\"";
      }
    }

    // The records appended replayed over the world as it was give the disk. A record's target
    // may hold a file that a later record of the batch moves: a cycle, which the batch runs
    // through a temporary name; the file waits aside in the replay. A file left at a temporary
    // (harsh batches only) went there as its cycle began, and is where the report says. Places
    // are kept by their folder's node, which stays the same when the folder is renamed.
    Model model = before;
    std::map<int, std::pair<Model::Place, Model::Place>> leftAt;  // node -> (as it was, where it is)
    for (std::size_t k = 0; k < result.leftAt.size(); ++k) {
      const std::optional<Model::Place> from = before.locate(relative(batch.rows[result.leftAtRow[k]].currentPath()));
      const std::optional<Model::Place> temporary = before.locate(relative(result.leftAt[k]));
      ASSERT_TRUE(from && temporary && before.nodeAt(*from) == rowNode[result.leftAtRow[k]])
          << "a file reported left at " << result.leftAt[k];
      leftAt.emplace(rowNode[result.leftAtRow[k]], std::make_pair(*from, *temporary));
    }
    std::set<int> leftAlready;
    const auto leave = [&](int node) {
      if (!leftAlready.insert(node).second) return;
      model.remove(leftAt.at(node).first);
      model.put(leftAt.at(node).second, node);
    };
    std::map<std::pair<std::string, std::string>, std::size_t> rowOf;
    for (std::size_t i = 0; i < batch.rows.size(); ++i)
      rowOf[{batch.rows[i].currentPath(), batch.rows[i].plannedPath()}] = i;
    std::multiset<int> later;
    std::vector<std::size_t> recordRows;
    for (std::size_t r = 0; r < history.size(); ++r) {
      const HistoryRecord record = history.record(r);
      auto row = rowOf.find({record.pathBefore(), record.pathAfter()});
      ASSERT_NE(row, rowOf.end()) << "record " << r << " is no row's: " << record.pathBefore() << " -> "
                                  << record.pathAfter();
      recordRows.push_back(row->second);
      later.insert(rowNode[row->second]);
      // Undo relies on the identity: it is the file at the new path, unless a later step moved that.
      // The path is looked up as the batch looks it up, its folder spelled as stored: through FUSE
      // another spelling of a folder gives its files other inode numbers.
      const std::optional<std::string> folder = SystemFileAccess().canonicalFolder(record.newFolder);
      const FileIdentity now = folder ? identityAt(*folder + record.nameAfter) : FileIdentity{};
      if (now.known()) {
        EXPECT_EQ(now, record.identity) << "record " << r << " names another file than " << record.pathAfter();
      }
    }
    std::set<int> aside;
    std::vector<Model::Place> replaced;  // entries replaced, in places of the world as it was
    for (std::size_t r = 0; r < recordRows.size(); ++r) {
      const std::size_t i = recordRows[r];
      const int node = rowNode[i];
      SCOPED_TRACE("record " + std::to_string(r) + " of row " + std::to_string(i));
      ASSERT_GE(node, 0) << "a row whose source was not there is recorded as done";
      EXPECT_EQ(firstRow[node], i) << "a later row of a file that an earlier row names was carried out";
      later.erase(later.find(node));
      const std::optional<Model::Place> from = model.locate(relative(batch.rows[i].currentPath()));
      if (from && model.nodeAt(*from) == node)
        model.remove(*from);
      else
        ASSERT_TRUE(aside.erase(node)) << "the row's file is not at its source when the record says it moved";
      const std::optional<Model::Place> to = model.locate(relative(batch.rows[i].plannedPath()));
      ASSERT_TRUE(to) << "the folder of the target is not there";
      int occupant = model.nodeAt(*to);
      if (leftAt.count(occupant)) {
        leave(occupant);
        occupant = model.nodeAt(*to);
      }
      if (occupant >= 0) {
        if (later.count(occupant)) {
          aside.insert(occupant);
        } else {
          EXPECT_FALSE(rowNodes.count(occupant)) << "a row's file was replaced at " << batch.rows[i].plannedPath();
          EXPECT_TRUE(result.replacing) << "a file was replaced without permission at " << batch.rows[i].plannedPath();
          replaced.push_back(*to);
        }
        model.remove(*to);
      }
      model.put(*to, node);
    }
    EXPECT_TRUE(aside.empty()) << "files moved aside by a cycle never reached their targets";
    for (const auto& [node, places] : leftAt) leave(node);
    EXPECT_EQ(after, model.contents()) << "the history does not explain the disk";
    if (HasFailure()) return;

    // Undo of the whole history brings every name back with its content, but for the files
    // replaced with permission and those left at a temporary.
    const std::size_t records = history.size();
    std::vector<std::size_t> all(records);
    for (std::size_t r = 0; r < records; ++r) all[r] = r;
    history.checkRows(all);
    SystemFileAccess system;
    const UndoReport undo = undoCheckedRecords(history, system, nativeNamesAsTheyAre());
    if (std::any_of(leftAt.begin(), leftAt.end(), [&](const auto& left) { return before.isFolder(left.first); })) {
      // A folder that waits at a temporary name is beyond the history: the undo may fail where a
      // record's path goes through it, but it loses nothing.
      std::multiset<std::string> kept, now;
      for (const auto& [path, content] : after) kept.insert(content);
      for (const auto& [path, content] : world.disk()) now.insert(content);
      EXPECT_EQ(now, kept) << "the undo lost or doubled a file";
      return;
    }
    EXPECT_EQ(undo.failed, 0u) << undo.firstReason;
    EXPECT_EQ(undo.undone, records);
    EXPECT_EQ(history.size(), records) << "each record undone is replaced by its reverse";
    Model restored = before;
    for (const Model::Place& place : replaced) restored.remove(place);
    for (const auto& [node, places] : leftAt) {
      restored.remove(places.first);
      restored.put(places.second, node);
    }
    Contents expected = restored.contents();
    Contents undone = world.disk();
    if (world.features().ignoresCase) {
      // The undo gives back the names as the rows spelled them, which may differ in case.
      expected = foldedPaths(expected);
      undone = foldedPaths(undone);
    }
    EXPECT_EQ(undone, expected) << "the undo did not bring every name back";
  }

  static Contents foldedPaths(const Contents& contents) {
    Contents folded;
    for (const auto& [path, content] : contents) folded[lowerCase(path)] = content;
    return folded;
  }
};

TEST_F(RandomBatches, NoFileIsLostAndTheHistoryAndItsUndoExplainTheDisk) {
  // The world lives in a tmpfs where one can be mounted: a move between file systems flushes
  // its copy, which on a disk costs more than the rest of the batch.
  const fs::path root = dir / "world";
  fs::create_directory(root);
  Mount memory = Mount::tmpfs(root, 16 * 1024 * 1024);
  if (!memory.problem().empty()) std::cout << "the world is on disk: " << memory.problem() << "\n";
  Features features;
  fs::create_directory(root / "x");
  Mount other = Mount::tmpfs(root / "x", 4 * 1024 * 1024);
  features.otherDevice = other.problem().empty();
  if (!features.otherDevice) {
    fs::remove(root / "x");
    std::cout << "no rows move to another file system: " << other.problem() << "\n";
  }
  World world(root, features);
  runBatches(world, fromEnvironment("NAMITRA_RANDOM_SEED", 1), fromEnvironment("NAMITRA_RANDOM_BATCHES", 2500));
}

// A folder that ignores letter case: tmpfs with casefold where the kernel folds case, else
// exFAT through FUSE. The mount and its loop device are undone when the test ends.
class CaseFoldingMount {
 public:
  explicit CaseFoldingMount(const fs::path& work) : m_work(work) {}
  ~CaseFoldingMount() {
    if (m_mounted && ::umount2(mountPoint().c_str(), 0) != 0) ::umount2(mountPoint().c_str(), MNT_DETACH);
    if (!m_loopDevice.empty()) run("losetup -d '" + m_loopDevice + "'");
  }
  CaseFoldingMount(const CaseFoldingMount&) = delete;
  CaseFoldingMount& operator=(const CaseFoldingMount&) = delete;

  // The folder, or nullopt with the reasons in `why`.
  std::optional<fs::path> mount(std::string& why) {
    fs::create_directory(mountPoint());
    if (::mount("tmpfs", mountPoint().c_str(), "tmpfs", 0, "casefold,size=16m") == 0) {
      m_mounted = true;
      const fs::path folded = mountPoint() / "folded";
      fs::create_directory(folded);
      if (setCasefold(folded) && ignoresCase(folded)) return folded;
      why = "tmpfs casefold: the folder flag is refused; ";
      ::umount2(mountPoint().c_str(), MNT_DETACH);
      m_mounted = false;
    } else {
      why = "tmpfs casefold: " + std::string(std::strerror(errno)) + "; ";
    }
    const fs::path image = m_work / "image";
    const fs::path device = m_work / "device";
    if (!run("truncate -s 16M '" + image.string() + "' && mkfs.exfat '" + image.string() + "'")) {
      why += "exFAT: mkfs.exfat missing or failed";
      return std::nullopt;
    }
    if (!run("losetup -f --show '" + image.string() + "' >'" + device.string() + "'")) {
      why += "exFAT: no loop device";
      return std::nullopt;
    }
    m_loopDevice = readBytes(device);
    while (!m_loopDevice.empty() && m_loopDevice.back() == '\n') m_loopDevice.pop_back();
    if (!run("mount.exfat-fuse '" + m_loopDevice + "' '" + mountPoint().string() + "'")) {
      why += "exFAT: mount.exfat-fuse missing or failed";
      return std::nullopt;
    }
    m_mounted = true;
    if (ignoresCase(mountPoint())) return mountPoint();
    why += "exFAT: mounted, but case is not folded";
    return std::nullopt;
  }

 private:
  fs::path mountPoint() const { return m_work / "mnt"; }

  bool run(const std::string& command) const {
    return std::system(("(" + command + ") >>'" + (m_work / "log").string() + "' 2>&1").c_str()) == 0;
  }
  static bool setCasefold(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags |= FS_CASEFOLD_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
  }
  static bool ignoresCase(const fs::path& folder) {
    writeBytes(folder / "Probe", "");
    const bool folds = fs::exists(folder / "pROBE");
    fs::remove(folder / "Probe");
    return folds;
  }

  fs::path m_work;
  std::string m_loopDevice;
  bool m_mounted = false;
};

TEST_F(RandomBatches, RowsSpelledInAnotherLetterCaseOnAFolderThatIgnoresIt) {
  CaseFoldingMount mount(dir.path());
  std::string why;
  const std::optional<fs::path> folder = mount.mount(why);
  if (!folder) GTEST_SKIP() << "no case-insensitive file system could be mounted here: " << why;
  Features features;
  features.alias = false;  // exFAT has neither symbolic nor hard links
  features.hardLinks = false;
  features.ignoresCase = true;
  features.freshFolders = true;
  World world(*folder, features);
  // Every operation goes through FUSE: a tenth of the batches take as long.
  const std::size_t count = std::max<std::size_t>(1, fromEnvironment("NAMITRA_RANDOM_BATCHES", 2500) / 10);
  runBatches(world, fromEnvironment("NAMITRA_RANDOM_SEED", 1), count);
}

}  // namespace
}  // namespace namitra::rename
