#include "tools/replace_list.h"

#include <algorithm>
#include <cerrno>

#include "platform/file_system.h"
#include "platform/stored_file_error.h"
#include "sjis/replace.h"
#include "tools/tool_messages.h"

namespace namitra::tools {

namespace {

// The whole text is set again even when the key is not found: every rule leaves the text as
// freshly set, with nothing to undo.
void applyRule(editor::TextEditor& edit, const platform::Rule& rule) {
  edit.setText(sjis::replaceAll(edit.text(), rule.key, rule.value));
}

void applyRules(editor::TextEditor& edit, const std::vector<platform::Rule>& rules) {
  for (const platform::Rule& rule : rules)
    if (rule.applies()) applyRule(edit, rule);
}

std::vector<platform::Rule> readTickedFile(const std::filesystem::path& path) {
  std::optional<std::vector<platform::Rule>> rules = platform::readRuleFile(path);
  // The file was listed, so one that is gone now is an error like any unreadable one.
  if (!rules) throw platform::StoredFileError(path, platform::StoredFileOperation::Read, ENOENT);
  return std::move(*rules);
}

bool anyTicked(const std::vector<ListedRuleFile>& files) {
  return std::any_of(files.begin(), files.end(), [](const ListedRuleFile& file) { return file.ticked; });
}

// Writes a line for each missing source and tells whether anything is left to apply. The grid
// weighs 2 and each of the file checks 1 against a score of 3, so the command goes on exactly
// when the grid holds lines or a file is ticked.
bool reportMissingSources(const std::vector<platform::Rule>& grid, const std::vector<ListedRuleFile>& files,
                          const LogSink& log) {
  int score = 3;
  if (grid.empty()) {
    log(text::kNoTemporaryRules);
    score -= 2;
  }
  if (files.empty()) {
    log(text::kNoRuleFiles);
    score -= 1;
  }
  if (!anyTicked(files)) {
    log(text::kNoRuleFileTicked);
    score -= 1;
  }
  return score > 0;
}

}  // namespace

std::vector<std::string> listRuleFiles(const std::filesystem::path& ruleFolder) {
  std::vector<std::string> names = platform::listEntries(ruleFolder, kRuleFilePattern);
  std::sort(names.begin(), names.end());
  return names;
}

void applyReplaceLists(editor::TextEditor& edit, const std::vector<platform::Rule>& grid,
                       const std::vector<ListedRuleFile>& files, const std::filesystem::path& ruleFolder,
                       const LogSink& log) {
  if (edit.text().empty()) {
    log(text::kNoEditText);
    return;
  }
  if (!reportMissingSources(grid, files, log)) return;
  applyRules(edit, grid);
  for (const ListedRuleFile& file : files)
    if (file.ticked) applyRules(edit, readTickedFile(ruleFolder / file.name));
  log(text::kBatchReplaceDone);
}

}  // namespace namitra::tools
