// The batch replace (actReplaceListExecute) and the listing of the saved rule files (*.rl).
//
// Rules come from two sources, applied in this order: the temporary rule grid, then the rule
// files that are ticked in the rule file list, each read anew from the rule folder when it is
// applied. One rule replaces every occurrence of its key in the whole edit text by its value
// (literal, case-sensitive, double-byte aware, no overlaps, the inserted value not searched
// again) and sets the result as the whole text; so rules chain, and setting the whole text
// empties the editor's undo and redo histories. Rules with an empty key are never applied.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "editor/text_editor.h"
#include "platform/rule_file.h"

namespace namitra::tools {

inline constexpr const char* kRuleFileExtension = ".rl";
inline constexpr const char* kRuleFilePattern = "*.rl";

// The names (without folder) of the entries of the rule folder that match "*.rl", of every kind
// (folders and hidden files included), sorted by name. A folder that cannot be listed gives none.
std::vector<std::string> listRuleFiles(const std::filesystem::path& ruleFolder);

struct ListedRuleFile {
  std::string name;  // file name in the rule folder
  bool ticked = false;
};

using LogSink = std::function<void(const std::string& message)>;

// Runs the batch replace over `edit` and writes its log lines to `log`, each as it is written:
//  - an empty edit text: ">> 編集用テキストがありません" and nothing else;
//  - each missing source, in this order: an empty grid (no lines at all; a grid of rules with
//    empty keys holds lines), an empty file list, no ticked file; when neither the grid holds
//    lines nor a file is ticked, nothing more happens;
//  - the grid's rules, then each ticked file's rules, then "■一括置換を行いました".
// A ticked file that cannot be read (vanished, a folder, unreadable) throws StoredFileError: the
// rules applied before it stay applied and the closing line is not written.
void applyReplaceLists(editor::TextEditor& edit, const std::vector<platform::Rule>& grid,
                       const std::vector<ListedRuleFile>& files, const std::filesystem::path& ruleFolder,
                       const LogSink& log);

}  // namespace namitra::tools
